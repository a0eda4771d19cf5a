#pragma once
// The local stand-in for the maker's server (scripts/maker-server) for one test: started on
// free ports of 127.0.0.1, ended when the object goes (its standard input closes).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "online/post_form.h"

namespace braceform::testing {

class MakerServer {
 public:
  // `options`: command-line options of the script, such as {"--version", "2.1"}.
  explicit MakerServer(std::vector<std::string> options = {}) {
    char logName[] = "/tmp/braceform_maker_XXXXXX";
    const int logFd = ::mkstemp(logName);
    if (logFd >= 0) ::close(logFd);
    log_ = logName;
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return;
    std::vector<std::string> args{"python3", BRACEFORM_SOURCE_DIR "/scripts/maker-server", "--log",
                                  log_};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execvp("python3", argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    FILE* f = ::fdopen(out[0], "r");
    char line[1024] = {};
    if (f && std::fgets(line, sizeof line, f)) {
      const std::string s = line;
      httpPort_ = Number(s, "\"http\": ");
      httpsPort_ = Number(s, "\"https\": ");
      const std::size_t at = s.find("\"cert\": \"");
      if (at != std::string::npos) {
        cert_ = s.substr(at + 9, s.find('"', at + 9) - at - 9);
      }
    }
    if (f) std::fclose(f);
  }
  ~MakerServer() {
    if (stdin_ >= 0) ::close(stdin_);
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    std::remove(log_.c_str());
  }
  MakerServer(const MakerServer&) = delete;
  MakerServer& operator=(const MakerServer&) = delete;

  bool Running() const { return httpPort_ > 0; }
  // The two schemes listen on different ports: a secure-first request to the http host
  // fails its https attempt and is answered over http.
  std::string HttpHost() const { return "127.0.0.1:" + std::to_string(httpPort_); }
  std::string HttpsHost() const { return "127.0.0.1:" + std::to_string(httpsPort_); }
  const std::string& Certificate() const { return cert_; }

  // Changes the replies, as the script's options with underscores, as JSON.
  void Configure(const std::string& json) const {
    PostForm("http://" + HttpHost() + "/control", {"json=" + json}, 5000);
  }
  // The requests received so far, one JSON line each.
  std::vector<std::string> Requests() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

 private:
  static int Number(const std::string& s, const char* key) {
    const std::size_t at = s.find(key);
    return at == std::string::npos ? 0 : std::atoi(s.c_str() + at + std::string(key).size());
  }

  pid_t pid_ = -1;
  int stdin_ = -1;
  int httpPort_ = 0, httpsPort_ = 0;
  std::string cert_, log_;
};

}  // namespace braceform::testing
