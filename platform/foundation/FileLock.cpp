#include "foundation/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/DeviceRoot.h"

FileLock::FileLock(const std::string& devicePath, Where where) {
  std::optional<std::string> host = DeviceRoot::resolve(devicePath);
  if (!host) return;
  if (where == Where::LockFileBeside) {
    fd_ = ::open((*host + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  } else {
    const size_t slash = host->rfind('/');
    const std::string folder = slash == 0 ? "/" : host->substr(0, slash);
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
}

FileLock::~FileLock() {
  // Closing the last descriptor releases the flock.
  if (fd_ >= 0) ::close(fd_);
}
