#include "restart.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace braceform {

void StartAgainLater(const std::string& exePath) {
  if (::access(exePath.c_str(), X_OK) != 0) {
    throw std::runtime_error("The program could not be started again: " + exePath + ": " +
                             std::strerror(errno));
  }
  // Two forks, so that the waiting process belongs to no one but init and never becomes a
  // zombie of ours; only async-signal-safe calls between fork and exec.
  const pid_t child = ::fork();
  if (child < 0) {
    throw std::runtime_error(std::string("The program could not be started again: ") +
                             std::strerror(errno));
  }
  if (child == 0) {
    if (::fork() != 0) ::_exit(0);
    ::setsid();  // not ended with this program's terminal or session
    timespec second{1, 0};
    while (::nanosleep(&second, &second) != 0 && errno == EINTR) {
    }
    char* const argv[] = {const_cast<char*>(exePath.c_str()), nullptr};
    ::execv(exePath.c_str(), argv);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace braceform
