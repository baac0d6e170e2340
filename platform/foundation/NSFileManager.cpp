#include "foundation/NSFileManager.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "foundation/DeviceRoot.h"
#include "foundation/NSData.h"
#include "foundation/NSPathUtilities.h"

namespace fs = std::filesystem;

OBJC_CLASS_IMPL(NSFileManager) {}

namespace {

// The platform's sentences name the item by its last component, in curly quotes.
std::string quoted(const std::string& path) {
  return "\u201c" + lastPathComponent(path) + "\u201d";
}

// These return false so that a failing step reads "return failWrite(...)".
bool failWrite(std::shared_ptr<NSError>* error, const std::string& path, int code) {
  NSInteger cocoa = NSFileWriteUnknownError;
  std::string reason = "couldn\u2019t be saved.";
  switch (code) {
    case ENOENT:
      cocoa = NSFileNoSuchFileError;
      reason = "couldn\u2019t be saved because there is no such file or folder.";
      break;
    case EEXIST:
      cocoa = NSFileWriteFileExistsError;
      reason = "couldn\u2019t be saved because an item with the same name already exists.";
      break;
    case EACCES:
    case EPERM:
      cocoa = NSFileWriteNoPermissionError;
      reason = "couldn\u2019t be saved because you don\u2019t have permission.";
      break;
    case ENOSPC:
      cocoa = NSFileWriteOutOfSpaceError;
      reason = "couldn\u2019t be saved because there isn\u2019t enough space.";
      break;
    case EINVAL:
      cocoa = NSFileWriteInvalidFileNameError;
      reason = "couldn\u2019t be saved because the name is not valid.";
      break;
    default:
      break;
  }
  NSErrorSet(error, NSCocoaErrorDomain, cocoa, "The file " + quoted(path) + " " + reason);
  return false;
}

bool failRead(std::shared_ptr<NSError>* error, const std::string& path, int code) {
  NSInteger cocoa = NSFileReadUnknownError;
  std::string reason = "couldn\u2019t be opened.";
  switch (code) {
    case ENOENT:
      cocoa = NSFileReadNoSuchFileError;
      reason = "couldn\u2019t be opened because there is no such file.";
      break;
    case EACCES:
    case EPERM:
      cocoa = NSFileReadNoPermissionError;
      reason = "couldn\u2019t be opened because you don\u2019t have permission to view it.";
      break;
    case EINVAL:
      cocoa = NSFileReadInvalidFileNameError;
      reason = "couldn\u2019t be opened because the name is not valid.";
      break;
    default:
      break;
  }
  NSErrorSet(error, NSCocoaErrorDomain, cocoa, "The file " + quoted(path) + " " + reason);
  return false;
}

// What is at a host path, without following a final symbolic link (so one can be removed).
fs::file_status statusOf(const std::string& host) {
  std::error_code ignored;
  return fs::symlink_status(host, ignored);
}

bool exists(const std::string& host) {
  return fs::exists(statusOf(host));
}

// A host path strictly inside another.
bool isInside(const std::string& host, const std::string& folder) {
  std::string prefix = folder == "/" ? folder : folder + "/";
  return host.size() > prefix.size() && host.starts_with(prefix);
}

// Checks shared by move and copy; on success both host paths are set.
bool prepareTransfer(const std::string& path, const std::string& toPath, std::string& from,
                     std::string& to, std::shared_ptr<NSError>* error) {
  std::optional<std::string> source = DeviceRoot::resolve(path);
  std::optional<std::string> destination = DeviceRoot::resolve(toPath);
  if (!source) return failRead(error, path, EINVAL);
  if (!destination) return failWrite(error, toPath, EINVAL);
  from = *source;
  to = *destination;
  if (!exists(from)) return failRead(error, path, ENOENT);
  if (exists(to)) return failWrite(error, toPath, EEXIST);
  if (from == DeviceRoot::path() || isInside(to, from)) return failWrite(error, toPath, 0);
  std::error_code status;
  if (!fs::is_directory(fs::path(to).parent_path(), status)) {
    return failWrite(error, toPath, ENOENT);
  }
  return true;
}

}  // namespace

std::shared_ptr<NSFileManager> NSFileManager::defaultManager() {
  static const std::shared_ptr<NSFileManager> manager = std::make_shared<NSFileManager>();
  return manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  return fileExistsAtPath(path, nullptr);
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const {
  std::optional<std::string> host = DeviceRoot::resolve(path);
  std::error_code ignored;
  fs::file_status status = host ? fs::status(*host, ignored) : fs::file_status();
  if (isDirectory) *isDirectory = fs::is_directory(status);
  return fs::exists(status);
}

bool NSFileManager::createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                                          const std::shared_ptr<NSDictionary>&,
                                          std::shared_ptr<NSError>* error) {
  std::optional<std::string> host = DeviceRoot::resolve(path);
  if (!host) return failWrite(error, path, EINVAL);

  std::error_code status;
  if (withIntermediateDirectories) {
    if (fs::is_directory(*host, status)) return true;
    if (exists(*host)) return failWrite(error, path, EEXIST);
    // The root itself may not exist yet on a fresh device.
    fs::create_directories(*host, status);
  } else {
    if (exists(*host)) return failWrite(error, path, EEXIST);
    fs::create_directory(*host, status);
  }
  if (status) return failWrite(error, path, status.value());
  return true;
}

bool NSFileManager::createFileAtPath(const std::string& path, std::span<const uint8_t> contents,
                                     const std::shared_ptr<NSDictionary>&) {
  return DeviceRoot::writeFile(path, contents, true);
}

bool NSFileManager::createFileAtPath(const std::string& path,
                                     const std::shared_ptr<NSData>& contents,
                                     const std::shared_ptr<NSDictionary>& attributes) {
  return createFileAtPath(path, contents ? contents->span() : std::span<const uint8_t>(),
                          attributes);
}

bool NSFileManager::removeItemAtPath(const std::string& path, std::shared_ptr<NSError>* error) {
  std::optional<std::string> host = DeviceRoot::resolve(path);
  if (!host) return failWrite(error, path, EINVAL);
  if (*host == DeviceRoot::path()) return failWrite(error, path, EPERM);
  if (!exists(*host)) return failWrite(error, path, ENOENT);

  std::error_code status;
  fs::remove_all(*host, status);
  if (status) return failWrite(error, path, status.value());
  return true;
}

bool NSFileManager::moveItemAtPath(const std::string& path, const std::string& toPath,
                                   std::shared_ptr<NSError>* error) {
  std::string from, to;
  if (!prepareTransfer(path, toPath, from, to, error)) return false;
  std::error_code status;
  fs::rename(from, to, status);
  if (status) return failWrite(error, toPath, status.value());
  return true;
}

bool NSFileManager::copyItemAtPath(const std::string& path, const std::string& toPath,
                                   std::shared_ptr<NSError>* error) {
  std::string from, to;
  if (!prepareTransfer(path, toPath, from, to, error)) return false;
  // A file is copied the way the device's file system clones one: holes stay holes (a sparse
  // 2 GB movie stays a few MB on disk), and a copy that fails half way leaves nothing behind.
  if (fs::is_regular_file(statusOf(from))) {
    if (DeviceRoot::copyFileAtomically(path, toPath)) return true;
    return failWrite(error, toPath, errno);
  }
  std::error_code status;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, status);
  if (status) {
    // Half a copy is worse than none.
    std::error_code ignored;
    fs::remove_all(to, ignored);
    return failWrite(error, toPath, status.value());
  }
  return true;
}

std::vector<std::string> NSFileManager::contentsOfDirectoryAtPath(
    const std::string& path, std::shared_ptr<NSError>* error) const {
  std::optional<std::string> host = DeviceRoot::resolve(path);
  if (!host) {
    failRead(error, path, EINVAL);
    return {};
  }

  std::error_code status;
  std::vector<std::string> names;
  for (fs::directory_iterator it(*host, status), end; !status && it != end; it.increment(status)) {
    names.push_back(it->path().filename().string());
  }
  if (status) {
    failRead(error, path, status.value());
    return {};
  }
  std::sort(names.begin(), names.end());
  return names;
}
