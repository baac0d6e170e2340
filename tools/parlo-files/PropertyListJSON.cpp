#include "PropertyListJSON.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

class JSONWriter {
 public:
  // With a sink the text goes out in pieces as it is made, so memory stays that of the value
  // however long the text grows (a shared object repeated millions of times, deep indentation).
  explicit JSONWriter(std::FILE* sink = nullptr) : sink_(sink) {}

  std::string write(const plist::Value& value) {
    writeValue(value, 0);
    out_ += '\n';
    return std::move(out_);
  }

  bool writeToSink(const plist::Value& value) {
    writeValue(value, 0);
    out_ += '\n';
    flush();
    return ok_ && std::fflush(sink_) == 0;
  }

 private:
  void flushWhenFull() {
    if (sink_ && out_.size() >= (1 << 16)) flush();
  }

  void flush() {
    if (ok_ && std::fwrite(out_.data(), 1, out_.size(), sink_) != out_.size()) ok_ = false;
    out_.clear();
  }

  void newline(size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
  }

  void writeString(std::string_view text) {
    out_ += '"';
    for (char c : text) {
      switch (c) {
        case '"':
          out_ += "\\\"";
          break;
        case '\\':
          out_ += "\\\\";
          break;
        case '\n':
          out_ += "\\n";
          break;
        case '\r':
          out_ += "\\r";
          break;
        case '\t':
          out_ += "\\t";
          break;
        default:
          if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            out_ += escape;
          } else {
            out_ += c;
          }
      }
    }
    out_ += '"';
  }

  // {"key": "text"} on one line: the wrapped scalars.
  void writeTagged(std::string_view key, std::string_view text) {
    out_ += "{";
    writeString(key);
    out_ += ": ";
    writeString(text);
    out_ += "}";
  }

  void writeValue(const plist::Value& value, size_t depth) {
    std::visit([&](const auto& v) { writeKind(v, depth); }, value.storage);
  }

  void writeKind(bool v, size_t) { out_ += v ? "true" : "false"; }

  void writeKind(const plist::Integer& v, size_t) {
    out_ += v.isUnsigned ? std::to_string(static_cast<uint64_t>(v.value)) : std::to_string(v.value);
  }

  void writeKind(double v, size_t) {
    if (std::isnan(v)) return writeTagged("$real", "nan");
    if (std::isinf(v)) return writeTagged("$real", v > 0 ? "+infinity" : "-infinity");
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    std::string number(text, end);
    if (number.find_first_of(".e") == std::string::npos) number += ".0";
    out_ += number;
  }

  void writeKind(const std::string& v, size_t) { writeString(v); }
  void writeKind(const plist::Date& v, size_t) {
    // A date that no calendar text can name (NaN, beyond the years 1 to 9999) is shown as its
    // seconds since 2001-01-01, not as the nearest date it is not.
    const double seconds = v.secondsSinceReferenceDate;
    if (!plist::canFormatDate(v)) {
      char text[32];
      const auto [end, error] = std::to_chars(text, text + sizeof text, seconds);
      return writeTagged("$dateSinceReferenceDate", std::string_view(text, end));
    }
    writeTagged("$date", plist::formatDate(v, /*fractionalSeconds=*/true));
  }
  void writeKind(const plist::Data& v, size_t) { writeTagged("$data", plist::base64Encode(v)); }
  void writeKind(const plist::UID& v, size_t) {
    out_ += "{\"CF$UID\": " + std::to_string(v.value) + "}";
  }

  void writeKind(const plist::Array& v, size_t depth) {
    if (v.empty()) {
      out_ += "[]";
      return;
    }
    out_ += '[';
    for (size_t i = 0; i < v.size(); ++i) {
      if (i > 0) out_ += ',';
      newline(depth + 1);
      writeValue(v[i], depth + 1);
      flushWhenFull();
    }
    newline(depth);
    out_ += ']';
  }

  void writeKind(const plist::Dictionary& v, size_t depth) {
    if (v.empty()) {
      out_ += "{}";
      return;
    }
    out_ += '{';
    for (size_t i = 0; i < v.size(); ++i) {
      if (i > 0) out_ += ',';
      newline(depth + 1);
      writeString(v[i].first);
      out_ += ": ";
      writeValue(v[i].second, depth + 1);
      flushWhenFull();
    }
    newline(depth);
    out_ += '}';
  }

  std::string out_;
  std::FILE* sink_;
  bool ok_ = true;
};

}  // namespace

std::string propertyListToJSON(const plist::Value& value) {
  return JSONWriter().write(value);
}

bool writePropertyListJSON(const plist::Value& value, std::FILE* sink) {
  return JSONWriter(sink).writeToSink(value);
}
