#pragma once

// The chat file of one recipient, "<Documents>/ParloChats/<user name>.plist": a binary keyed
// archive whose root is the mutable array of ChatDataModel records, in display order, as
// Foundation's archiver writes it, so a file from a device loads here and ours loads there.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"

namespace ChatFile {

// "<Documents>/ParloChats", a device path.
std::string chatDirectory();

// The file name (without ".plist") that stands for a user name. A name that is a plain single
// path component is used as it is, as on a device, a leading "." included. Any other name (empty,
// "." or "..", with "/" or NUL, a leading "%", lone UTF-16 surrogates, or longer than 200 bytes)
// is written as "%" and an escaped form of its UTF-16 units, so the file stays inside the chat
// folder and two names never share a file; an escaped form too long for a file name keeps its
// head and a SHA-256 of the name.
std::string fileNameForUsername(const NSString& username);

// "<Documents>/ParloChats/<file name>.plist"; nothing for a nil user name, which has no chat file.
std::optional<std::string> chatFilePath(const std::shared_ptr<NSString>& username);

// The archive of `messages` (ChatDataModel records) as a mutable array; nothing, with the reason
// in `error`, when a record cannot be archived.
std::optional<std::vector<uint8_t>> encode(const NSArray& messages, std::string* error = nullptr);

// The records of an archive; nil, with the reason in `error`, when the bytes are not a keyed
// archive whose root is an array of ChatDataModel records, or when it holds more than a chat may
// (a million records, or 32 Mi UTF-16 units of text counted once per record).
std::shared_ptr<NSMutableArray> decode(std::span<const uint8_t> bytes,
                                       std::string* error = nullptr);

}  // namespace ChatFile
