#pragma once
// Shared helpers of the tests: a fresh temporary folder per test and whole-file reads and
// writes.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

namespace braceform::testing {

namespace fs = std::filesystem;

inline std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const fs::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The user that permission checks run as when the tests run as root (nobody's id).
inline constexpr uid_t kUnprivileged = 65534;

// Makes the calling process kUnprivileged when it is root; returns whether it now runs
// without privileges. Only for a child process.
inline bool DropPrivileges() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(kUnprivileged) == 0 &&
         ::setuid(kUnprivileged) == 0 && ::geteuid() != 0;
}

// Runs `check` as a user without privileges: as root in a child process that drops them,
// otherwise here. It returns what went wrong, or the empty text.
inline std::string Unprivileged(const std::function<std::string()>& check) {
  if (::geteuid() != 0) return check();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    const std::string problem = DropPrivileges() ? check() : "cannot drop privileges";
    const ssize_t ignored = ::write(pipeFds[1], problem.data(), problem.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string problem;
  char buffer[256];
  for (ssize_t r; (r = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) problem.append(buffer, r);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) problem += " (the check did not finish)";
  return problem;
}

// A folder of its own for each test, named after the test and the process, removed after it.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("braceform_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  std::size_t EntriesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

}  // namespace braceform::testing
