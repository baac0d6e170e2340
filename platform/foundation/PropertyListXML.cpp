// The XML property-list form: a reader that accepts what Foundation and other writers produce,
// and a writer that reproduces Foundation's bytes.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/CivilCalendar+Private.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListDetail.h"
#include "foundation/UTF16.h"

namespace plist {
namespace {

// ---------------------------------------------------------------------------------------------
// Writing

class XMLWriter {
 public:
  std::vector<uint8_t> write(const Value& root) {
    append(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n");
    writeValue(root, 0);
    append("</plist>\n");
    return std::move(out_);
  }

 private:
  void append(std::string_view text) { out_.insert(out_.end(), text.begin(), text.end()); }
  void indent(size_t depth) { out_.insert(out_.end(), depth, '\t'); }

  void appendEscaped(std::string_view text) {
    for (char c : text) {
      switch (c) {
        case '&':
          append("&amp;");
          break;
        case '<':
          append("&lt;");
          break;
        case '>':
          append("&gt;");
          break;
        default:
          out_.push_back(static_cast<uint8_t>(c));
      }
    }
  }

  void element(std::string_view tag, std::string_view text) {
    append("<");
    append(tag);
    append(">");
    append(text);
    append("</");
    append(tag);
    append(">\n");
  }

  void writeValue(const Value& value, size_t depth) {
    indent(depth);
    std::visit([&](const auto& v) { writeKind(v, depth); }, value.storage);
  }

  void writeKind(bool v, size_t) { append(v ? "<true/>\n" : "<false/>\n"); }

  void writeKind(const Integer& v, size_t) {
    char text[32];
    const int n =
        v.isUnsigned
            ? std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(v.value))
            : std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v.value));
    element("integer", std::string_view(text, static_cast<size_t>(n)));
  }

  void writeKind(double v, size_t) {
    // Foundation's own spelling of reals: %.17g, with the special values named. to_chars spells
    // it as the C locale does whatever locale the host process has set.
    if (std::isnan(v)) return element("real", "nan");
    if (std::isinf(v)) return element("real", v > 0 ? "+infinity" : "-infinity");
    if (v == 0) return element("real", "0.0");
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 17);
    element("real", std::string_view(text, static_cast<size_t>(written.ptr - text)));
  }

  void writeKind(const std::string& v, size_t) {
    append("<string>");
    appendEscaped(v);
    append("</string>\n");
  }

  void writeKind(const Date& v, size_t) { element("date", formatDate(v)); }

  void writeKind(const Data& v, size_t depth) {
    // Base64 lines as Foundation wraps them: 76 columns, counting each tab of the indentation as
    // 8, and at least 12 characters however deep the data sits.
    const size_t lineLength = 76 - 8 * std::min<size_t>(depth, 8);
    const std::string encoded = base64Encode(v);
    append("<data>\n");
    for (size_t start = 0; start < encoded.size(); start += lineLength) {
      indent(depth);
      append(std::string_view(encoded).substr(start, lineLength));
      append("\n");
    }
    indent(depth);
    append("</data>\n");
  }

  void writeKind(const UID& v, size_t depth) {
    append("<dict>\n");
    indent(depth + 1);
    element("key", "CF$UID");
    indent(depth + 1);
    writeKind(Integer{static_cast<int64_t>(v.value), static_cast<int64_t>(v.value) < 0}, depth);
    indent(depth);
    append("</dict>\n");
  }

  void writeKind(const Array& v, size_t depth) {
    if (v.empty()) return append("<array/>\n");
    append("<array>\n");
    for (const Value& element : v) writeValue(element, depth + 1);
    indent(depth);
    append("</array>\n");
  }

  void writeKind(const Dictionary& v, size_t depth) {
    if (v.empty()) return append("<dict/>\n");
    // Foundation sorts keys by UTF-16 code unit, which differs from UTF-8 byte order once
    // characters beyond U+FFFF meet those above U+E000.
    struct Entry {
      std::u16string sortKey;
      const std::pair<std::string, Value>* entry;
    };
    std::vector<Entry> entries;
    entries.reserve(v.size());
    for (const auto& pair : v) entries.push_back({toUTF16(pair.first), &pair});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.sortKey < b.sortKey; });

    append("<dict>\n");
    for (size_t i = 0; i < entries.size(); ++i) {
      // A repeated key is written once, with its last value, as the reader would keep it.
      if (i + 1 < entries.size() && entries[i + 1].entry->first == entries[i].entry->first) {
        continue;
      }
      indent(depth + 1);
      append("<key>");
      appendEscaped(entries[i].entry->first);
      append("</key>\n");
      writeValue(entries[i].entry->second, depth + 1);
    }
    indent(depth);
    append("</dict>\n");
  }

  std::vector<uint8_t> out_;
};

// ---------------------------------------------------------------------------------------------
// Reading

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<Integer> parseInteger(std::string_view text) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!negative) {
    return Integer{static_cast<int64_t>(magnitude), magnitude > uint64_t(INT64_MAX)};
  }
  if (magnitude > uint64_t(INT64_MAX) + 1) return std::nullopt;
  return Integer{static_cast<int64_t>(0 - magnitude), false};
}

// Whether a decimal number too large or too small for a double is large: its decimal exponent,
// counting the digits before the point and the exponent part, is positive.
bool overflows(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = number.substr(e + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
      digits.remove_prefix(1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (error == std::errc::result_out_of_range) exponent = INT32_MAX;
    exponent =
        negative ? -std::min<int64_t>(exponent, INT32_MAX) : std::min<int64_t>(exponent, INT32_MAX);
  }
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t firstDigit = mantissa.find_first_of("123456789");
  if (firstDigit == std::string_view::npos) return false;
  const int64_t magnitude = firstDigit < point ? static_cast<int64_t>(point - firstDigit)
                                               : -static_cast<int64_t>(firstDigit - point - 1);
  return magnitude + exponent > 0;
}

std::optional<double> parseReal(std::string_view text) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars takes no sign of its own; "inf", "infinity" and "nan" it knows.
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = overflows(text.substr(0, static_cast<size_t>(end - text.data())))
                ? std::numeric_limits<double>::infinity()
                : 0.0;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  if (end != text.data() + text.size()) return std::nullopt;
  return negative ? -value : value;
}

// "2004-10-26T10:33:33Z"; like other readers, the later fields may be left out ("2004-10Z").
std::optional<Date> parseDate(std::string_view text) {
  text = trim(text);
  size_t pos = 0;
  auto number = [&](size_t digits) -> std::optional<unsigned> {
    if (pos + digits > text.size()) return std::nullopt;
    unsigned value = 0;
    for (size_t i = 0; i < digits; ++i) {
      const char c = text[pos + i];
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    pos += digits;
    return value;
  };
  auto accept = [&](char c) {
    if (pos < text.size() && text[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  };

  unsigned fields[6] = {0, 1, 1, 0, 0, 0};
  static constexpr char kSeparators[6] = {0, '-', '-', 'T', ':', ':'};
  static constexpr unsigned kDigits[6] = {4, 2, 2, 2, 2, 2};
  for (size_t i = 0; i < 6; ++i) {
    if (i > 0 && !accept(kSeparators[i])) break;
    std::optional<unsigned> value = number(kDigits[i]);
    if (!value) return std::nullopt;
    fields[i] = *value;
  }
  if (!accept('Z') || pos != text.size()) return std::nullopt;
  const auto [year, month, day, hour, minute, second] = fields;
  // A day the month does not have (2023-02-31) is refused rather than carried into the next.
  static constexpr unsigned kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month < 1 || month > 12 || day < 1 ||
      day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0) || hour > 23 || minute > 59 ||
      second > 60) {
    return std::nullopt;
  }
  const int64_t days = civil::daysFromCivil(year, month, day);
  const int64_t unixSeconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return Date{static_cast<double>(unixSeconds - detail::kReferenceDateUnixSeconds)};
}

std::optional<Data> decodeBase64(std::string_view text) {
  Data out;
  out.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int bits = 0;
  bool padding = false;
  for (char c : text) {
    int sextet;
    if (c >= 'A' && c <= 'Z') {
      sextet = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      sextet = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      sextet = c - '0' + 52;
    } else if (c == '+') {
      sextet = 62;
    } else if (c == '/') {
      sextet = 63;
    } else if (c == '=') {
      padding = true;
      continue;
    } else if (isSpace(c)) {
      continue;
    } else {
      return std::nullopt;
    }
    if (padding) return std::nullopt;  // nothing follows the padding
    group = (group << 6) | static_cast<uint32_t>(sextet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<uint8_t>(group >> bits));
      group &= (1u << bits) - 1;
    }
  }
  return out;
}

// The tokenizer and tree builder. The tree is built with an explicit stack, so the depth of the
// document costs heap (bounded by kMaxDepth), never the machine stack.
class XMLReader {
 public:
  explicit XMLReader(std::string_view text) : text_(text) {}

  Result<Value> read() {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    if (!isValidUTF8(text_.substr(pos_))) return fail("the document is not valid UTF-8");
    if (!skipMisc()) return fail(error_);

    while (true) {
      if (!skipMisc()) return fail(error_);
      if (pos_ >= text_.size()) return fail("the document ends inside the property list");
      if (text_[pos_] != '<') return fail("unexpected text between elements");
      if (text_.substr(pos_).starts_with("</")) {
        if (!closeContainer()) return fail(error_);
      } else if (!openElement()) {
        return fail(error_);
      }
      if (root_ && stack_.empty()) break;
    }

    if (!skipMisc()) return fail(error_);
    if (pos_ != text_.size()) return fail("unexpected content after the property list");
    return {std::move(root_), {}};
  }

 private:
  enum class Kind { Plist, Array, Dict };
  struct Frame {
    Kind kind;
    Array array;
    Dictionary dictionary;
    std::optional<std::string> key;
    std::optional<Value> plistValue;
  };

  static std::string_view tagName(Kind kind) {
    switch (kind) {
      case Kind::Plist:
        return "plist";
      case Kind::Array:
        return "array";
      case Kind::Dict:
        return "dict";
    }
    return {};
  }

  Result<Value> fail(std::string message) {
    // The line of the failure helps whoever edits a file by hand.
    const size_t line =
        1 + std::count(text_.begin(), text_.begin() + std::min(pos_, text_.size()), '\n');
    return {std::nullopt, "XML property list, line " + std::to_string(line) + ": " + message};
  }
  bool error(std::string message) {
    error_ = std::move(message);
    return false;
  }

  std::string_view rest() const { return text_.substr(pos_); }

  // Whitespace, comments, processing instructions and a document type declaration.
  bool skipMisc() {
    while (pos_ < text_.size()) {
      if (isSpace(text_[pos_])) {
        ++pos_;
      } else if (rest().starts_with("<?")) {
        if (!skipPast("?>")) return error("unterminated processing instruction");
      } else if (rest().starts_with("<!--")) {
        if (!skipPast("-->")) return error("unterminated comment");
      } else if (rest().starts_with("<!DOCTYPE")) {
        if (!skipDoctype()) return error("unterminated document type declaration");
      } else {
        break;
      }
    }
    return true;
  }

  bool skipPast(std::string_view terminator) {
    const size_t end = text_.find(terminator, pos_ + 2);
    if (end == std::string_view::npos) return false;
    pos_ = end + terminator.size();
    return true;
  }

  bool skipDoctype() {
    bool inSubset = false;
    char quote = 0;
    for (size_t i = pos_ + 9; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        inSubset = true;
      } else if (c == ']') {
        inSubset = false;
      } else if (c == '>' && !inSubset) {
        pos_ = i + 1;
        return true;
      }
    }
    return false;
  }

  static bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '.' || c == '-';
  }

  // Reads "<name attributes...>" or "<name .../>" from '<'.
  bool readOpenTag(std::string_view& name, bool& selfClosing) {
    size_t i = pos_ + 1;
    const size_t start = i;
    while (i < text_.size() && isNameChar(text_[i])) ++i;
    name = text_.substr(start, i - start);
    if (name.empty()) return error("malformed tag");
    while (true) {
      while (i < text_.size() && isSpace(text_[i])) ++i;
      if (i >= text_.size()) return error("unterminated tag <" + std::string(name) + ">");
      if (text_[i] == '>') {
        selfClosing = false;
        pos_ = i + 1;
        return true;
      }
      if (text_.substr(i).starts_with("/>")) {
        selfClosing = true;
        pos_ = i + 2;
        return true;
      }
      // An attribute: name = "value". Its meaning is not needed (version="1.0").
      const size_t attributeStart = i;
      while (i < text_.size() && isNameChar(text_[i])) ++i;
      if (i == attributeStart) return error("malformed attribute in <" + std::string(name) + ">");
      while (i < text_.size() && isSpace(text_[i])) ++i;
      if (i >= text_.size() || text_[i] != '=') return error("malformed attribute");
      ++i;
      while (i < text_.size() && isSpace(text_[i])) ++i;
      if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\'')) {
        return error("malformed attribute");
      }
      const size_t close = text_.find(text_[i], i + 1);
      if (close == std::string_view::npos) return error("unterminated attribute value");
      i = close + 1;
    }
  }

  // Reads "</name>" at the cursor.
  bool readCloseTag(std::string_view name) {
    if (!rest().starts_with("</") || !rest().substr(2).starts_with(name)) {
      return error("expected </" + std::string(name) + ">");
    }
    size_t i = pos_ + 2 + name.size();
    while (i < text_.size() && isSpace(text_[i])) ++i;
    if (i >= text_.size() || text_[i] != '>') return error("expected </" + std::string(name) + ">");
    pos_ = i + 1;
    return true;
  }

  bool appendCharacter(std::string& out, std::string_view entity) {
    if (entity == "amp") return out += '&', true;
    if (entity == "lt") return out += '<', true;
    if (entity == "gt") return out += '>', true;
    if (entity == "quot") return out += '"', true;
    if (entity == "apos") return out += '\'', true;
    if (entity.size() < 2 || entity[0] != '#') return false;
    uint32_t code = 0;
    const bool hex = entity[1] == 'x' || entity[1] == 'X';
    const std::string_view digits = entity.substr(hex ? 2 : 1);
    auto [end, status] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || status != std::errc() || end != digits.data() + digits.size()) {
      return false;
    }
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    std::u16string units;
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
    out += toUTF8(units);
    return true;
  }

  // The character data of a leaf element up to its closing tag: entities resolved, CDATA
  // sections taken as they are, comments dropped.
  bool readText(std::string_view name, std::string& out) {
    while (true) {
      const size_t special = text_.find_first_of("<&", pos_);
      if (special == std::string_view::npos)
        return error("unterminated <" + std::string(name) + ">");
      out.append(text_.substr(pos_, special - pos_));
      pos_ = special;
      if (text_[pos_] == '&') {
        const size_t semicolon = text_.find(';', pos_);
        if (semicolon == std::string_view::npos || semicolon - pos_ > 12 ||
            !appendCharacter(out, text_.substr(pos_ + 1, semicolon - pos_ - 1))) {
          return error("malformed character reference");
        }
        pos_ = semicolon + 1;
      } else if (rest().starts_with("<![CDATA[")) {
        const size_t end = text_.find("]]>", pos_ + 9);
        if (end == std::string_view::npos) return error("unterminated CDATA section");
        out.append(text_.substr(pos_ + 9, end - pos_ - 9));
        pos_ = end + 3;
      } else if (rest().starts_with("<!--")) {
        if (!skipPast("-->")) return error("unterminated comment");
      } else {
        return readCloseTag(name);
      }
    }
  }

  bool openElement() {
    std::string_view name;
    bool selfClosing = false;
    if (!readOpenTag(name, selfClosing)) return false;

    if (name == "plist") {
      if (!stack_.empty()) return error("<plist> inside a property list");
      if (selfClosing) return error("the property list is empty");
      stack_.push_back({Kind::Plist, {}, {}, {}, {}});
      return true;
    }
    if (name == "array" || name == "dict") {
      const Kind kind = name == "array" ? Kind::Array : Kind::Dict;
      if (selfClosing) {
        return kind == Kind::Array ? attach(Array{}) : attach(Dictionary{});
      }
      if (containerDepth() >= kMaxDepth) return error("containers are nested too deeply");
      stack_.push_back({kind, {}, {}, {}, {}});
      return true;
    }
    if (name == "true" || name == "false") {
      if (!selfClosing && !readCloseTag(name)) return false;
      return attach(name == "true");
    }

    std::string text;
    if (!selfClosing && !readText(name, text)) return false;
    if (name == "key") {
      if (stack_.empty() || stack_.back().kind != Kind::Dict)
        return error("<key> outside a <dict>");
      if (stack_.back().key) return error("two keys in a row");
      stack_.back().key = std::move(text);
      return true;
    }
    if (name == "string") return attach(std::move(text));
    if (name == "integer") {
      std::optional<Integer> integer = parseInteger(text);
      if (!integer) return error("malformed or out-of-range integer \"" + text + "\"");
      return attach(*integer);
    }
    if (name == "real") {
      std::optional<double> real = parseReal(text);
      if (!real) return error("malformed real \"" + text + "\"");
      return attach(*real);
    }
    if (name == "date") {
      std::optional<Date> date = parseDate(text);
      if (!date) return error("malformed date \"" + text + "\"");
      return attach(*date);
    }
    if (name == "data") {
      std::optional<Data> data = decodeBase64(text);
      if (!data) return error("malformed base64 in <data>");
      return attach(std::move(*data));
    }
    return error("unknown element <" + std::string(name) + ">");
  }

  bool closeContainer() {
    if (stack_.empty()) return error("unexpected closing tag");
    Frame& frame = stack_.back();
    if (!readCloseTag(tagName(frame.kind))) return false;

    Value value;
    switch (frame.kind) {
      case Kind::Plist:
        if (!frame.plistValue) return error("the property list is empty");
        value = std::move(*frame.plistValue);
        break;
      case Kind::Array:
        value = std::move(frame.array);
        break;
      case Kind::Dict:
        if (frame.key) return error("key \"" + *frame.key + "\" has no value");
        value = dictionaryValue(std::move(frame.dictionary));
        break;
    }
    stack_.pop_back();
    return attach(std::move(value));
  }

  static Value dictionaryValue(Dictionary dictionary) {
    detail::removeDuplicateKeys(dictionary);
    if (dictionary.size() == 1 && dictionary[0].first == "CF$UID") {
      const Integer* integer = dictionary[0].second.get<Integer>();
      if (integer && (integer->value >= 0 || integer->isUnsigned)) {
        return UID{static_cast<uint64_t>(integer->value)};
      }
    }
    return dictionary;
  }

  bool attach(Value value) {
    if (stack_.empty()) {
      root_ = std::move(value);
      return true;
    }
    Frame& frame = stack_.back();
    switch (frame.kind) {
      case Kind::Plist:
        if (frame.plistValue) return error("more than one value in <plist>");
        frame.plistValue = std::move(value);
        return true;
      case Kind::Array:
        frame.array.push_back(std::move(value));
        return true;
      case Kind::Dict:
        if (!frame.key) return error("a value in a <dict> without a <key>");
        frame.dictionary.emplace_back(std::move(*frame.key), std::move(value));
        frame.key.reset();
        return true;
    }
    return false;
  }

  size_t containerDepth() const {
    return stack_.size() - (!stack_.empty() && stack_.front().kind == Kind::Plist ? 1 : 0);
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::vector<Frame> stack_;
  std::optional<Value> root_;
  std::string error_;
};

}  // namespace

Result<Value> readXML(std::span<const uint8_t> bytes) {
  return XMLReader(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
      .read();
}

std::vector<uint8_t> writeXML(const Value& root) {
  return XMLWriter().write(root);
}

}  // namespace plist
