#include "foundation/DeviceRoot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

// Paths are resolved lexically, without asking the file system: the system never creates symbolic
// links inside the device root, so a lexically contained path is a contained file.

namespace DeviceRoot {
namespace {

std::string defaultPath() {
  if (const char* root = std::getenv("PARLO_DEVICE_ROOT"); root && *root) return root;
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data = std::string(home) + "/.local/share";
  } else {
    data = "/tmp";
  }
  return data + "/parlo/device";
}

// An absolute, normalised host path without a trailing slash ("/" stays "/").
std::string normaliseHostPath(const std::string& hostPath) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(hostPath, error);
  if (error) absolute = hostPath;
  std::string normal = absolute.lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string& rootStorage() {
  static std::string root = normaliseHostPath(defaultPath());
  return root;
}

bool failNextAtomicWrite = false;

// Fault injection: the process kills itself just before its Nth step that changes the disk
// (creating a file, each write, fsync and rename), so tests can stop a write at every point.
// Set from PARLO_KILL_AT_WRITE_STEP for tools run as separate processes, or by the test seam.
long& killAtStep() {
  static long step = [] {
    const char* text = std::getenv("PARLO_KILL_AT_WRITE_STEP");
    return text ? std::strtol(text, nullptr, 10) : 0L;
  }();
  return step;
}

long& stepsTaken() {
  static long steps = 0;
  return steps;
}

void step() {
  if (killAtStep() > 0 && ++stepsTaken() == killAtStep()) ::raise(SIGKILL);
}

// Writes go out in pieces of at most this size, each a step of its own.
constexpr size_t kWriteChunk = 1 << 20;

bool writeAll(int fd, std::span<const uint8_t> bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    step();
    ssize_t n = ::write(fd, bytes.data() + written, std::min(kWriteChunk, bytes.size() - written));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

bool writeInPlace(const std::string& hostPath, std::span<const uint8_t> bytes) {
  step();
  int fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes);
  return ::close(fd) == 0 && ok;
}

// Removes the temporaries "<prefix><pid>.<6 characters>" in `folder` whose writer process is
// gone: a write that was killed leaves its temporary behind, up to the whole file's size.
void removeAbandonedTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (!name.starts_with(prefix)) continue;
    name.remove_prefix(prefix.size());
    const size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || name.size() - dot - 1 != 6) continue;
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dot, pid);
    if (error != std::errc() || end != name.data() + dot || pid <= 0) continue;
    // A live writer, or one we cannot see, keeps its file.
    if (pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

// Fills an open file with what is to be written; false (errno set) when it cannot.
using Fill = std::function<bool(int fd)>;

bool writeAtomically(const std::string& hostPath, const Fill& fill) {
  std::string::size_type slash = hostPath.rfind('/');
  std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
  // A hidden name with the writer's process and a random suffix: two writers of the same file
  // never share a temporary, and one left by a writer that died can be told from one in use.
  const std::string prefix = "." + hostPath.substr(slash + 1) + ".";
  removeAbandonedTemporaries(folder, prefix);
  std::string temporary =
      folder + (folder == "/" ? "" : "/") + prefix + std::to_string(::getpid()) + ".XXXXXX";
  step();
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;

  bool ok = ::fchmod(fd, 0644) == 0 && fill(fd);
  if (ok) step();
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && failNextAtomicWrite) {
    failNextAtomicWrite = false;
    errno = EIO;
    ok = false;
  }
  if (ok) step();
  if (!ok || ::rename(temporary.c_str(), hostPath.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    return false;
  }

  // Make the rename itself durable. The new file is already in place, so a failure here is not
  // reported: the old contents cannot come back, and "false" would claim they had.
  if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    step();
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool writeAtomically(const std::string& hostPath, std::span<const uint8_t> bytes) {
  return writeAtomically(hostPath, [bytes](int fd) { return writeAll(fd, bytes); });
}

// Copies `from` into `to` a piece at a time, so memory stays at one piece whatever the size. The
// holes of a sparse source are skipped and stay holes: they read back as the zeros they stand for.
bool copyContents(int from, int to) {
  struct stat info {};
  if (::fstat(from, &info) != 0) return false;
  const off_t size = info.st_size;
  std::vector<uint8_t> buffer(kWriteChunk);
  off_t offset = 0;
  while (offset < size) {
    off_t data = ::lseek(from, offset, SEEK_DATA);
    // No data after `offset` (ENXIO): the rest is one hole. A file system without holes reads
    // every byte.
    if (data < 0) data = errno == ENXIO ? size : offset;
    offset = std::min(data, size);
    while (offset < size) {
      const ssize_t n =
          ::pread(from, buffer.data(),
                  static_cast<size_t>(std::min<off_t>(kWriteChunk, size - offset)), offset);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      // The source shrank while being copied; what is left of it is copied whole.
      if (n == 0) return ::ftruncate(to, offset) == 0;
      if (std::all_of(buffer.begin(), buffer.begin() + n, [](uint8_t b) { return b == 0; })) {
        offset += n;
        break;
      }
      if (::lseek(to, offset, SEEK_SET) != offset ||
          !writeAll(to, {buffer.data(), static_cast<size_t>(n)})) {
        return false;
      }
      offset += n;
    }
  }
  // The file's length, and with it a hole at its end.
  step();
  return ::ftruncate(to, size) == 0;
}

}  // namespace

const std::string& path() {
  return rootStorage();
}

void setPath(std::string hostPath) {
  rootStorage() = normaliseHostPath(hostPath);
}

std::optional<std::string> resolve(std::string_view devicePath) {
  if (devicePath.find('\0') != std::string_view::npos) return std::nullopt;

  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= devicePath.size()) {
    size_t end = devicePath.find('/', start);
    if (end == std::string_view::npos) end = devicePath.size();
    std::string_view component = devicePath.substr(start, end - start);
    if (component == "..") {
      // ".." at the top stays at the top, as it does at the real "/".
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }

  std::string host = path();
  for (std::string_view component : components) {
    if (host.empty() || host.back() != '/') host += '/';
    host += component;
  }
  return host;
}

std::optional<std::vector<uint8_t>> readFile(std::string_view devicePath) {
  std::optional<std::string> host = resolve(devicePath);
  if (!host) return std::nullopt;
  int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }

  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  uint8_t buffer[65536];
  while (true) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return bytes;
}

bool writeFile(std::string_view devicePath, std::span<const uint8_t> bytes, bool atomically) {
  std::optional<std::string> host = resolve(devicePath);
  // The root itself is a folder, never a file.
  if (!host || *host == path()) return false;
  return atomically ? writeAtomically(*host, bytes) : writeInPlace(*host, bytes);
}

bool copyFileAtomically(std::string_view fromDevicePath, std::string_view toDevicePath) {
  std::optional<std::string> from = resolve(fromDevicePath);
  std::optional<std::string> to = resolve(toDevicePath);
  if (!from || !to || *to == path()) {
    errno = EINVAL;
    return false;
  }
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
  int source = ::open(from->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (source < 0) return false;
  struct stat info {};
  if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(source);
    errno = EINVAL;
    return false;
  }
  ::fcntl(source, F_SETFL, ::fcntl(source, F_GETFL) & ~O_NONBLOCK);
  const bool copied = writeAtomically(*to, [source](int fd) { return copyContents(source, fd); });
  const int error = errno;
  ::close(source);
  errno = error;
  return copied;
}

bool writeHostFileAtomically(const std::string& hostPath, std::span<const uint8_t> bytes) {
  return writeAtomically(hostPath.find('/') == std::string::npos ? "./" + hostPath : hostPath,
                         bytes);
}

namespace testing {

void failNextAtomicWriteBeforeRename() {
  failNextAtomicWrite = true;
}

void killAtWriteStep(long n) {
  killAtStep() = n;
  stepsTaken() = 0;
}

}  // namespace testing

}  // namespace DeviceRoot
