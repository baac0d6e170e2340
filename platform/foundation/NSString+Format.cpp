// stringWithFormat: printf's conversions plus "%@", each checked against its C++ argument.

#include <cinttypes>
#include <cstdio>
#include <string>

#include "foundation/CLocale.h"
#include "foundation/NSString.h"
#include "foundation/UTF16.h"
#include "runtime/RuntimeError.h"

namespace {

using Type = NSFormatArgument::Type;

[[noreturn]] void formatError(const char* format, const std::string& problem) {
  throw objc::RuntimeError(std::string("stringWithFormat: \"") + format + "\": " + problem);
}

template <class... T>
std::string printfOne(const std::string& directive, T... value) {
  // A host that calls setlocale must not turn "%f" into "0,5" in text that ends up in files.
  foundation::CLocaleScope cLocale;
  int length = std::snprintf(nullptr, 0, directive.c_str(), value...);
  if (length < 0) return {};
  std::string out(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(out.data(), out.size(), directive.c_str(), value...);
  out.resize(static_cast<size_t>(length));
  return out;
}

void appendUTF8(std::string& out, char32_t cp) {
  std::u16string units;
  if (cp >= 0x10000) {
    units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  } else {
    units += static_cast<char16_t>(cp);
  }
  out += toUTF8(units);
}

}  // namespace

std::string NSString::formatWithArguments(const char* format,
                                          std::span<const NSFormatArgument> arguments) {
  if (!format) throw objc::RuntimeError("stringWithFormat: nil format");
  std::string out;
  size_t next = 0;  // the next sequential argument
  auto take = [&](size_t position) -> const NSFormatArgument& {
    size_t index = position ? position - 1 : next++;
    if (index >= arguments.size()) formatError(format, "missing argument");
    return arguments[index];
  };
  auto readNumber = [](const char*& p) {
    size_t n = 0;
    while (*p >= '0' && *p <= '9') n = n * 10 + static_cast<size_t>(*p++ - '0');
    return n;
  };
  auto integerOf = [&](const NSFormatArgument& a) -> long long {
    if (a.type == Type::Signed) return a.signedValue;
    if (a.type == Type::Unsigned) return static_cast<long long>(a.unsignedValue);
    formatError(format, "'*' needs an integer argument");
  };

  for (const char* p = format; *p;) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    // %[position$][flags][width][.precision][length]conversion
    size_t position = 0;
    {
      const char* q = p;
      size_t n = readNumber(q);
      if (n > 0 && *q == '$') {
        position = n;
        p = q + 1;
      }
    }
    std::string directive = "%";
    while (*p && std::string_view("-+ #0'").find(*p) != std::string_view::npos) directive += *p++;
    if (*p == '*') {
      ++p;
      const char* q = p;
      size_t n = readNumber(q);
      size_t widthPosition = 0;
      if (n > 0 && *q == '$') {
        widthPosition = n;
        p = q + 1;
      }
      directive += std::to_string(integerOf(take(widthPosition)));
    } else {
      while (*p >= '0' && *p <= '9') directive += *p++;
    }
    if (*p == '.') {
      directive += *p++;
      if (*p == '*') {
        ++p;
        const char* q = p;
        size_t n = readNumber(q);
        size_t precisionPosition = 0;
        if (n > 0 && *q == '$') {
          precisionPosition = n;
          p = q + 1;
        }
        long long precision = integerOf(take(precisionPosition));
        directive += std::to_string(precision < 0 ? 0 : precision);
      } else {
        while (*p >= '0' && *p <= '9') directive += *p++;
      }
    }
    std::string lengthModifier;
    while (*p && std::string_view("hlqLjzt").find(*p) != std::string_view::npos) {
      lengthModifier += *p++;
    }
    char conversion = *p;
    if (!conversion) formatError(format, "incomplete conversion at the end");
    ++p;
    std::string_view written(start, static_cast<size_t>(p - start));

    switch (conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        const NSFormatArgument& a = take(position);
        if (a.type != Type::Signed && a.type != Type::Unsigned) {
          formatError(format, std::string(written) + " needs an integer argument");
        }
        uint64_t bits =
            a.type == Type::Signed ? static_cast<uint64_t>(a.signedValue) : a.unsignedValue;
        // hh and h narrow as C does; every other length prints the whole 64-bit value.
        if (lengthModifier == "hh")
          bits = conversion == 'd' || conversion == 'i'
                     ? static_cast<uint64_t>(static_cast<signed char>(bits))
                     : static_cast<unsigned char>(bits);
        if (lengthModifier == "h")
          bits = conversion == 'd' || conversion == 'i'
                     ? static_cast<uint64_t>(static_cast<short>(bits))
                     : static_cast<unsigned short>(bits);
        directive += "ll";
        directive += conversion;
        if (conversion == 'd' || conversion == 'i') {
          if (a.type == Type::Unsigned && lengthModifier.find('h') == std::string::npos &&
              bits > static_cast<uint64_t>(INT64_MAX)) {
            // An unsigned value too big for %d prints as the unsigned number it is.
            directive.back() = 'u';
            out += printfOne(directive, static_cast<unsigned long long>(bits));
          } else {
            out += printfOne(directive, static_cast<long long>(bits));
          }
        } else {
          out += printfOne(directive, static_cast<unsigned long long>(bits));
        }
        break;
      }
      case 'c':
      case 'C': {
        const NSFormatArgument& a = take(position);
        if (a.type != Type::Signed && a.type != Type::Unsigned) {
          formatError(format, std::string(written) + " needs a character argument");
        }
        uint64_t cp =
            a.type == Type::Signed ? static_cast<uint64_t>(a.signedValue) : a.unsignedValue;
        if (conversion == 'c') cp &= 0xFF;
        if (cp < 0x80) {
          directive += 'c';
          out += printfOne(directive, static_cast<int>(cp));
        } else {
          appendUTF8(out, static_cast<char32_t>(cp > 0x10FFFF ? 0xFFFD : cp));
        }
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        const NSFormatArgument& a = take(position);
        if (a.type != Type::Real) {
          formatError(format, std::string(written) + " needs a floating-point argument");
        }
        directive += conversion;
        out += printfOne(directive, a.realValue);
        break;
      }
      case 's': {
        const NSFormatArgument& a = take(position);
        if (a.type == Type::Object && !a.object) {
          directive += 's';
          out += printfOne(directive, "(null)");
          break;
        }
        if (a.type != Type::CString)
          formatError(format, std::string(written) + " needs a C string");
        std::string text = !a.text ? std::string("(null)")
                           : a.textLength == std::string_view::npos
                               ? std::string(a.text)
                               : std::string(a.text, a.textLength);
        directive += 's';
        out += printfOne(directive, text.c_str());
        break;
      }
      case '@': {
        const NSFormatArgument& a = take(position);
        if (a.type != Type::Object) formatError(format, "%@ needs an object (or nil)");
        std::string text = a.object ? a.object->description() : std::string("(null)");
        directive += 's';
        out += printfOne(directive, text.c_str());
        break;
      }
      case 'p': {
        const NSFormatArgument& a = take(position);
        const void* pointer = a.type == Type::Pointer  ? a.pointer
                              : a.type == Type::Object ? static_cast<const void*>(a.object)
                                                       : nullptr;
        if (a.type != Type::Pointer && a.type != Type::Object) {
          formatError(format, "%p needs a pointer");
        }
        directive += 's';
        out += printfOne(directive,
                         printfOne("0x%" PRIxPTR, reinterpret_cast<uintptr_t>(pointer)).c_str());
        break;
      }
      default:
        formatError(format, "unsupported conversion " + std::string(written));
    }
  }
  return out;
}
