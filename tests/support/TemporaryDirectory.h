#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace testsupport {

// A new folder under the system's temporary folder, removed with its contents on destruction.
class TemporaryDirectory {
 public:
  // Named `prefix` plus a unique suffix. Throws when the folder cannot be made: a test must not
  // go on writing into a folder that is not its own.
  explicit TemporaryDirectory(std::string_view prefix = "parlo-test") {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
      throw std::system_error(errno, std::generic_category(), "cannot make " + pattern);
    }
    path_ = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string string() const { return path_.string(); }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
