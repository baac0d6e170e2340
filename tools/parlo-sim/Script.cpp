#include "Script.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace sim {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

// Thrown inside one line's parse and turned into the script's error.
struct LineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<Token> tokenize(std::string_view line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token token{"", true};
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\') {
          if (i >= line.size()) break;
          char escaped = line[i++];
          if (escaped == 'n') {
            token.text += '\n';
          } else if (escaped == '"' || escaped == '\\') {
            token.text += escaped;
          } else {
            throw LineError(std::string("unknown escape \\") + escaped);
          }
        } else {
          token.text += d;
        }
      }
      if (!closed) throw LineError("the quoted text is not closed");
      tokens.push_back(std::move(token));
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != '"') {
        ++i;
      }
      tokens.push_back({std::string(line.substr(start, i - start)), false});
    }
  }
  return tokens;
}

class LineParser {
 public:
  explicit LineParser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool atEnd() const { return next_ >= tokens_.size(); }
  bool nextIsQuoted() const { return !atEnd() && tokens_[next_].quoted; }

  const Token& take(const char* what) {
    if (atEnd()) throw LineError(std::string("missing ") + what);
    return tokens_[next_++];
  }

  double number(const char* what) {
    const Token& token = take(what);
    double value = 0;
    const char* begin = token.text.data();
    const char* end = begin + token.text.size();
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (token.quoted || ec != std::errc() || ptr != end || !std::isfinite(value)) {
      throw LineError(std::string(what) + " is not a number: " + token.text);
    }
    return value;
  }

  double seconds() {
    double value = number("seconds");
    if (value < 0) throw LineError("a duration cannot be negative");
    return value;
  }

  std::string quoted(const char* what) {
    const Token& token = take(what);
    if (!token.quoted) throw LineError(std::string(what) + " must be in double quotes");
    return token.text;
  }

  std::string word(const char* what) {
    const Token& token = take(what);
    if (token.quoted) throw LineError(std::string(what) + " must not be quoted");
    return token.text;
  }

  // X Y, or "TEXT" with an optional [N].
  TouchTarget target() {
    TouchTarget target;
    if (nextIsQuoted()) {
      target.text = take("text").text;
      if (!atEnd() && !tokens_[next_].quoted && tokens_[next_].text.starts_with('[')) {
        const std::string& pick = tokens_[next_++].text;
        int index = 0;
        auto [ptr, ec] = std::from_chars(pick.data() + 1, pick.data() + pick.size(), index);
        if (ec != std::errc() || ptr != pick.data() + pick.size() - 1 || *ptr != ']' || index < 1) {
          throw LineError("the match number must be written [N] with N from 1: " + pick);
        }
        target.index = index;
      }
    } else {
      CGFloat x = number("x");
      CGFloat y = number("y");
      target.point = CGPoint{x, y};
    }
    return target;
  }

  void finish() {
    if (!atEnd()) throw LineError("unexpected " + tokens_[next_].text);
  }

 private:
  std::vector<Token> tokens_;
  size_t next_ = 0;
};

Command parseLine(LineParser& p, const std::string& verb) {
  using Kind = Command::Kind;
  Command command;
  if (verb == "tap" || verb == "doubletap") {
    command.kind = verb == "tap" ? Kind::Tap : Kind::DoubleTap;
    command.target = p.target();
  } else if (verb == "press") {
    command.kind = Kind::Press;
    command.target = p.target();
    command.seconds = p.seconds();
  } else if (verb == "drag") {
    command.kind = Kind::Drag;
    command.from.x = p.number("x1");
    command.from.y = p.number("y1");
    command.to.x = p.number("x2");
    command.to.y = p.number("y2");
    command.seconds = p.seconds();
  } else if (verb == "pinch") {
    command.kind = Kind::Pinch;
    command.from.x = p.number("x");
    command.from.y = p.number("y");
    command.scaleFrom = p.number("the starting scale");
    command.scaleTo = p.number("the final scale");
    if (command.scaleFrom <= 0 || command.scaleTo <= 0) {
      throw LineError("a pinch's scales must be above 0");
    }
    command.seconds = p.seconds();
  } else if (verb == "type" || verb == "paste") {
    command.kind = verb == "type" ? Kind::Type : Kind::Paste;
    command.text = p.quoted("the text");
  } else if (verb == "key") {
    command.kind = Kind::Key;
    command.text = p.word("the key");
    if (command.text != "return" && command.text != "backspace") {
      throw LineError("key takes return or backspace, not " + command.text);
    }
  } else if (verb == "wait") {
    command.kind = Kind::Wait;
    command.seconds = p.seconds();
  } else if (verb == "appearance") {
    command.kind = Kind::Appearance;
    command.text = p.word("the appearance");
    if (command.text != "light" && command.text != "dark") {
      throw LineError("appearance takes light or dark, not " + command.text);
    }
  } else if (verb == "snapshot" || verb == "dump") {
    command.kind = verb == "snapshot" ? Kind::Snapshot : Kind::Dump;
    const Token& file = p.take("the file name");
    command.text = file.text;
    if (command.text.empty()) throw LineError("the file name is empty");
  } else if (verb == "expect") {
    std::string what = p.word("text or no-text");
    if (what == "text") {
      command.kind = Kind::ExpectText;
    } else if (what == "no-text") {
      command.kind = Kind::ExpectNoText;
    } else if (what == "haptics") {
      command.kind = Kind::ExpectHaptics;
      double count = p.number("the number of haptic taps");
      if (count < 0 || count != std::floor(count) || count > 1e6) {
        throw LineError("the number of haptic taps must be a whole number from 0");
      }
      command.count = static_cast<int>(count);
      p.finish();
      return command;
    } else {
      throw LineError("expect takes text, no-text or haptics, not " + what);
    }
    command.text = p.quoted("the text");
  } else {
    throw LineError("unknown command " + verb);
  }
  p.finish();
  return command;
}

}  // namespace

ParsedScript parseScript(std::string_view source) {
  ParsedScript script;
  int lineNumber = 0;
  size_t start = 0;
  while (start <= source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string_view::npos) end = source.size();
    std::string_view line = source.substr(start, end - start);
    ++lineNumber;
    try {
      LineParser parser(tokenize(line));
      if (!parser.atEnd()) {
        std::string verb = parser.word("a command");
        Command command = parseLine(parser, verb);
        command.line = lineNumber;
        script.commands.push_back(std::move(command));
      }
    } catch (const LineError& error) {
      script.error = error.what();
      script.errorLine = lineNumber;
      return script;
    }
    if (end == source.size()) break;
    start = end + 1;
  }
  return script;
}

}  // namespace sim
