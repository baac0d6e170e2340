// parlo-files chat: shows a chat file's records as JSON lines and writes a chat file from such
// lines, through the add-on's own chat file code, so what the tool writes the add-on reads.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "Command.h"
#include "HostFiles.h"
#include "chat/ChatDataModel.h"
#include "chat/ChatFile.h"
#include "foundation/UTF16.h"

const char* const kChatUsage =
    "  parlo-files chat dump FILE\n"
    "  parlo-files chat import FILE < records.jsonl\n"
    "  parlo-files chat render FILE --out PNG [--appearance light|dark] [--recipient NAME]\n"
    "      [--avatar IMAGE] [--device-root DIR]";

int renderChat(Arguments arguments);  // ChatRenderCommand.cpp

namespace {

int usage() {
  return fail("usage: parlo-files chat dump FILE | chat import FILE < records.jsonl");
}

// JSON text for a string of UTF-16 units. A lone surrogate, which UTF-8 cannot carry, is written
// as its \u escape so that import gives the same units back.
std::string jsonString(const std::u16string& units) {
  std::string out = "\"";
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out += toUTF8(units.substr(i, 2));
      ++i;
    } else if (unit == u'"' || unit == u'\\') {
      out += '\\';
      out += char(unit);
    } else if (unit == u'\n') {
      out += "\\n";
    } else if (unit == u'\r') {
      out += "\\r";
    } else if (unit == u'\t') {
      out += "\\t";
    } else if (unit < 0x20 || (unit >= 0xD800 && unit <= 0xDFFF)) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(unit));
      out += escape;
    } else {
      out += toUTF8(std::u16string_view(&unit, 1));
    }
  }
  return out + "\"";
}

std::string jsonValue(const std::shared_ptr<NSString>& string) {
  return string ? jsonString(string->characters()) : "null";
}

const char* jsonValue(bool value) {
  return value ? "true" : "false";
}

// One line of an import: a JSON object whose keys are the record's fields, each at most once.
// Strings (or null) for "message" and "messageType", true or false for the flags; a key left out
// takes the value decoding gives it (nil or NO).
class RecordLine {
 public:
  explicit RecordLine(std::string_view text) : text_(text) {}

  // The record, or nothing with the reason in error().
  std::shared_ptr<ChatDataModel> parse() {
    auto record = ChatDataModel::alloc();
    bool seen[5] = {};
    skipSpace();
    if (!consume('{')) return failed("expected a JSON object");
    skipSpace();
    if (!consume('}')) {
      do {
        skipSpace();
        std::u16string key;
        if (!parseString(key)) return failed(error_.empty() ? "expected a key" : error_);
        skipSpace();
        if (!consume(':')) return failed("expected \":\" after a key");
        skipSpace();
        const std::string name = toUTF8(key);
        int index = -1;
        if (name == "message") {
          index = 0;
          if (!parseStringOrNull(record->message)) return nullptr;
        } else if (name == "messageType") {
          index = 1;
          if (!parseStringOrNull(record->messageType)) return nullptr;
        } else if (name == "showAvatar") {
          index = 2;
          if (!parseBool(name, record->showAvatar)) return nullptr;
        } else if (name == "showLike") {
          index = 3;
          if (!parseBool(name, record->showLike)) return nullptr;
        } else if (name == "activeCall") {
          index = 4;
          if (!parseBool(name, record->activeCall)) return nullptr;
        } else {
          return failed("unknown key " + jsonString(key));
        }
        if (seen[index]) return failed("key " + jsonString(key) + " appears twice");
        seen[index] = true;
        skipSpace();
      } while (consume(','));
      if (!consume('}')) return failed("expected \",\" or \"}\"");
    }
    skipSpace();
    if (position_ != text_.size()) return failed("unexpected text after the object");
    return record;
  }

  const std::string& error() const { return error_; }

 private:
  std::shared_ptr<ChatDataModel> failed(std::string error) {
    error_ = std::move(error);
    return nullptr;
  }

  void skipSpace() {
    while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t' ||
                                        text_[position_] == '\r' || text_[position_] == '\n')) {
      ++position_;
    }
  }

  bool consume(char c) {
    if (position_ < text_.size() && text_[position_] == c) {
      ++position_;
      return true;
    }
    return false;
  }

  bool consumeWord(std::string_view word) {
    if (text_.substr(position_, word.size()) != word) return false;
    position_ += word.size();
    return true;
  }

  std::optional<unsigned> hex4() {
    if (position_ + 4 > text_.size()) return std::nullopt;
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[position_++];
      value <<= 4;
      if (c >= '0' && c <= '9') {
        value |= unsigned(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        value |= unsigned(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        value |= unsigned(c - 'A' + 10);
      } else {
        return std::nullopt;
      }
    }
    return value;
  }

  // Keeps escaped units as they are, lone surrogates included: a message is UTF-16.
  bool parseString(std::u16string& out) {
    if (!consume('"')) return false;
    size_t runStart = position_;
    auto flushRun = [&]() -> bool {
      const std::string_view run = text_.substr(runStart, position_ - runStart);
      if (!isValidUTF8(run)) {
        error_ = "a string is not valid UTF-8";
        return false;
      }
      out += toUTF16(run);
      return true;
    };
    while (position_ < text_.size()) {
      const char c = text_[position_];
      if (c == '"') {
        if (!flushRun()) return false;
        ++position_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) {
        error_ = "a control character in a string must be escaped";
        return false;
      }
      if (c != '\\') {
        ++position_;
        continue;
      }
      if (!flushRun()) return false;
      ++position_;
      if (position_ >= text_.size()) break;
      const char escape = text_[position_++];
      switch (escape) {
        case '"':
          out += u'"';
          break;
        case '\\':
          out += u'\\';
          break;
        case '/':
          out += u'/';
          break;
        case 'b':
          out += u'\b';
          break;
        case 'f':
          out += u'\f';
          break;
        case 'n':
          out += u'\n';
          break;
        case 'r':
          out += u'\r';
          break;
        case 't':
          out += u'\t';
          break;
        case 'u': {
          std::optional<unsigned> unit = hex4();
          if (!unit) {
            error_ = "\\u needs four hex digits";
            return false;
          }
          out += char16_t(*unit);
          break;
        }
        default:
          error_ = std::string("unknown escape \\") + escape;
          return false;
      }
      runStart = position_;
    }
    error_ = "unterminated string";
    return false;
  }

  bool parseStringOrNull(std::shared_ptr<NSString>& out) {
    if (consumeWord("null")) {
      out = nullptr;
      return true;
    }
    std::u16string units;
    if (parseString(units)) {
      out = NSString::stringWithCharacters(units);
      return true;
    }
    if (error_.empty()) error_ = "\"message\" and \"messageType\" must be strings or null";
    return false;
  }

  bool parseBool(const std::string& name, bool& out) {
    if (consumeWord("true")) {
      out = true;
    } else if (consumeWord("false")) {
      out = false;
    } else {
      error_ = "\"" + name + "\" must be true or false";
      return false;
    }
    return true;
  }

  std::string_view text_;
  size_t position_ = 0;
  std::string error_;
};

int dump(Arguments arguments) {
  if (arguments.size() != 1) return usage();
  std::vector<uint8_t> bytes;
  if (HostFileResult read = readHostFile(arguments[0], bytes); !read.ok) {
    return fail(arguments[0] + ": " + read.error);
  }
  std::string error;
  auto records = ChatFile::decode(bytes, &error);
  if (!records) return fail(arguments[0] + ": not a chat file: " + error);

  // One line at a time, so memory stays that of the chat however often it repeats a record.
  for (const id& object : records->objects()) {
    const auto& record = static_cast<const ChatDataModel&>(*object);
    const std::string line = "{\"message\": " + jsonValue(record.message) +
                             ", \"messageType\": " + jsonValue(record.messageType) +
                             ", \"showAvatar\": " + jsonValue(record.showAvatar) +
                             ", \"showLike\": " + jsonValue(record.showLike) +
                             ", \"activeCall\": " + jsonValue(record.activeCall) + "}\n";
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) break;
  }
  if (std::ferror(stdout) || std::fflush(stdout) != 0)
    return fail("cannot write to standard output");
  return 0;
}

// Every line is read and checked before the file is touched, so a bad line writes nothing.
int import(Arguments arguments) {
  if (arguments.size() != 1) return usage();
  auto records = NSMutableArray::array();
  std::string line;
  for (size_t number = 1; std::getline(std::cin, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    RecordLine parser(line);
    auto record = parser.parse();
    if (!record) return fail("line " + std::to_string(number) + ": " + parser.error());
    // A chat file keeps text the way the device's archiver does, and it cannot carry half a
    // surrogate pair: it would come back as U+FFFD. Refused rather than changed.
    for (const auto& [field, text] :
         {std::pair{"message", record->message}, std::pair{"messageType", record->messageType}}) {
      const size_t at = text ? firstLoneSurrogate(text->characters()) : std::u16string::npos;
      if (at == std::u16string::npos) continue;
      char unit[8];
      std::snprintf(unit, sizeof unit, "%04X", unsigned(text->characters()[at]));
      return fail("line " + std::to_string(number) + ": \"" + field +
                  "\" holds a lone surrogate (U+" + unit + ") at unit " + std::to_string(at) +
                  ", which a chat file cannot keep");
    }
    records->addObject(record);
  }
  if (std::cin.bad()) return fail("cannot read standard input");

  std::string error;
  auto bytes = ChatFile::encode(*records, &error);
  if (!bytes) return fail("cannot archive the records: " + error);
  if (HostFileResult written = writeHostFileAtomically(arguments[0], *bytes); !written.ok) {
    return fail(arguments[0] + ": " + written.error);
  }
  return 0;
}

int run(Arguments arguments) {
  if (arguments.empty()) return usage();
  if (arguments[0] == "dump") return dump(arguments.subspan(1));
  if (arguments[0] == "import") return import(arguments.subspan(1));
  if (arguments[0] == "render") return renderChat(arguments.subspan(1));
  return fail("unknown chat command \"" + arguments[0] + "\"");
}

}  // namespace

static const CommandRegistration registration("chat", kChatUsage, run);
