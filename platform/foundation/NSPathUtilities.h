#pragma once

// The app's standard folders and the platform's path arithmetic on device paths (UTF-8
// std::string). Like NSString's path methods, these are pure string operations: they never ask
// the file system.

#include <string>
#include <string_view>
#include <vector>

#include "foundation/NSObjCRuntime.h"

// The device path of the current app's home folder ("/var/mobile" until the host sets it, e.g. to
// "/var/mobile/Containers/Data/Application/<ID>"). "~" expands to it.
std::string NSHomeDirectory();
void NSSetHomeDirectory(std::string devicePath);
// The app's temporary folder, "<home>/tmp/", with the trailing slash the platform gives it.
std::string NSTemporaryDirectory();

enum NSSearchPathDirectory : NSUInteger {
  NSLibraryDirectory = 5,
  NSDocumentDirectory = 9,
  NSCachesDirectory = 13,
  NSApplicationSupportDirectory = 14,
};

enum NSSearchPathDomainMask : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff,
};

// An app sees its own folders only: the user domain gives "~/Documents" and the like (expanded
// with the home folder when asked); the other domains give nothing.
std::vector<std::string> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                             NSUInteger domainMask,
                                                             bool expandTilde);

// "/tmp" + "x" -> "/tmp/x"; slashes are collapsed and a trailing one dropped.
std::string stringByAppendingPathComponent(std::string_view path, std::string_view component);
// "/tmp/x" -> "/tmp", "/tmp" -> "/", "x" -> "".
std::string stringByDeletingLastPathComponent(std::string_view path);
// "/tmp/x.tiff" -> "x.tiff", "/tmp/" -> "tmp", "/" -> "/".
std::string lastPathComponent(std::string_view path);
// "x.tiff" -> "tiff"; a leading dot (".profile") starts a name, not an extension.
std::string pathExtension(std::string_view path);
// "/tmp/x.tiff" -> "/tmp/x"; "/tmp/" -> "/tmp".
std::string stringByDeletingPathExtension(std::string_view path);
// "x" + "tiff" -> "x.tiff". "" and "/" have no name to extend and come back unchanged.
std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension);
// "~" and "~/..." with the home folder; anything else unchanged.
std::string stringByExpandingTildeInPath(std::string_view path);
// Expands "~", collapses "//" and "/./", drops a trailing slash, and resolves ".." in absolute
// paths (never above "/"); relative paths keep their "..".
std::string stringByStandardizingPath(std::string_view path);
