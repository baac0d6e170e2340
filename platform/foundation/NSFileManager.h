#pragma once

// NSFileManager: files and folders by device path, inside the device root (DeviceRoot.h). A
// failure returns false (or an empty list) and, when the caller passes somewhere to put it, an
// NSError of the Cocoa domain with the platform's file error code.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/NSError.h"
#include "runtime/NSObject.h"

class NSData;
class NSDictionary;

class NSFileManager : public NSObject {
  OBJC_CLASS(NSFileManager, NSObject);

 public:
  static std::shared_ptr<NSFileManager> defaultManager();

  // Follows a symbolic link to what it names, as the platform does.
  bool fileExistsAtPath(const std::string& path) const;
  bool fileExistsAtPath(const std::string& path, bool* isDirectory) const;

  // Without intermediates the parent must exist and nothing may exist at the path. With them,
  // missing parents are made and an existing folder counts as success; an existing file does not.
  // Attributes are not supported (pass nullptr).
  bool createDirectoryAtPath(const std::string& path, bool withIntermediateDirectories,
                             const std::shared_ptr<NSDictionary>& attributes,
                             std::shared_ptr<NSError>* error);
  // Writes the file atomically, replacing one that exists; the folder must exist. nil NSData
  // makes an empty file.
  bool createFileAtPath(const std::string& path, std::span<const uint8_t> contents,
                        const std::shared_ptr<NSDictionary>& attributes);
  bool createFileAtPath(const std::string& path, const std::shared_ptr<NSData>& contents,
                        const std::shared_ptr<NSDictionary>& attributes);

  // Removes a file, or a folder with everything in it. The root ("/") cannot be removed.
  bool removeItemAtPath(const std::string& path, std::shared_ptr<NSError>* error);
  // Both fail when something already exists at the destination, or when a folder would go into
  // itself.
  bool moveItemAtPath(const std::string& path, const std::string& toPath,
                      std::shared_ptr<NSError>* error);
  bool copyItemAtPath(const std::string& path, const std::string& toPath,
                      std::shared_ptr<NSError>* error);

  // The names in a folder (hidden ones too, without "." and ".."), sorted by byte value.
  std::vector<std::string> contentsOfDirectoryAtPath(const std::string& path,
                                                     std::shared_ptr<NSError>* error) const;
};
