#include "HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/DeviceRoot.h"

namespace {

HostFileResult failure(int error) {
  return {false, std::strerror(error)};
}

}  // namespace

HostFileResult readHostFile(const std::string& path, std::vector<uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return failure(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return failure(error);
  }
  bytes.clear();
  uint8_t buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return failure(error);
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return {true, {}};
}

HostFileResult writeHostFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  // Replacing a link, a FIFO or a device would lose what it stands for; only files are replaced.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    const char* kind = S_ISLNK(info.st_mode)    ? "a symbolic link"
                       : S_ISDIR(info.st_mode)  ? "a folder"
                       : S_ISFIFO(info.st_mode) ? "a FIFO"
                                                : "not a regular file";
    return {false, std::string("is ") + kind + "; refusing to replace it"};
  }
  if (!DeviceRoot::writeHostFileAtomically(path, bytes)) return failure(errno);
  return {true, {}};
}
