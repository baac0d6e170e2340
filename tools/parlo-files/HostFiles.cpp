#include "HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return failure(errno);

  int error = 0;
  if (::fchmod(fd, 0644) != 0) error = errno;
  for (size_t written = 0; error == 0 && written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n > 0) written += static_cast<size_t>(n);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return failure(error);
  }
  return {true, {}};
}
