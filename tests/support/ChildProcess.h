#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testsupport {

// Runs `body` in a forked child, whose exit status is what it returns (1 when it throws).
inline pid_t startChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int status = 1;
    try {
      status = body();
    } catch (...) {
    }
    ::_exit(status);
  }
  return pid;
}

// The child's exit status; 128 plus the signal's number when a signal ended it, as shells say.
inline int waitForChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
