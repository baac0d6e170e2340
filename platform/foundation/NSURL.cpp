#include "foundation/NSURL.h"

#include <algorithm>
#include <cctype>
#include <functional>

OBJC_CLASS_IMPL(NSURL) {}

namespace {

bool isUnreserved(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
         c == '~';
}
bool isSubDelimiter(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }
bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Every character is one RFC 3986 allows, and every "%" starts an escape.
bool hasOnlyURLCharacters(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '%') {
      if (i + 2 >= s.size() || !isHex(s[i + 1]) || !isHex(s[i + 2])) return false;
      i += 2;
      continue;
    }
    if (isUnreserved(c) || isSubDelimiter(c) ||
        std::string_view(":/?#[]@").find(c) != std::string_view::npos) {
      continue;
    }
    return false;
  }
  return true;
}

std::string percentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && isHex(s[i + 1]) && isHex(s[i + 2])) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Percent-encodes everything a path segment list may not hold as it is.
std::string percentEncodePath(std::string_view s, bool keepSlash) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : s) {
    if (isUnreserved(c) || (isSubDelimiter(c) && c != ';') || c == ':' || c == '@' ||
        (keepSlash && c == '/')) {
      out += c;
    } else {
      auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += digits[byte >> 4];
      out += digits[byte & 0xF];
    }
  }
  return out;
}

bool isValidHost(std::string_view host) {
  if (host.starts_with('[')) {
    if (!host.ends_with(']') || host.size() < 3) return false;
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return isHex(c) || c == ':' || c == '.' || c == 'v' || c == 'V';
    });
  }
  return std::all_of(host.begin(), host.end(),
                     [](char c) { return isUnreserved(c) || isSubDelimiter(c) || c == '%'; });
}

}  // namespace

bool NSURL::parse(std::string_view s) {
  if (s.empty() || !hasOnlyURLCharacters(s)) return false;
  if (std::count(s.begin(), s.end(), '#') > 1) return false;
  string_ = std::string(s);

  std::string_view rest = s;
  size_t colon = rest.find(':');
  size_t firstDelimiter = rest.find_first_of("/?#");
  if (colon != std::string_view::npos && colon < firstDelimiter) {
    std::string_view scheme = rest.substr(0, colon);
    bool valid = !scheme.empty() && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                 std::all_of(scheme.begin(), scheme.end(), [](char c) {
                   return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' ||
                          c == '.';
                 });
    if (!valid) return false;
    scheme_ = std::string(scheme);
    rest.remove_prefix(colon + 1);
  }

  size_t hash = rest.find('#');
  if (hash != std::string_view::npos) {
    fragment_ = std::string(rest.substr(hash + 1));
    rest = rest.substr(0, hash);
  }
  size_t question = rest.find('?');
  if (question != std::string_view::npos) {
    query_ = std::string(rest.substr(question + 1));
    rest = rest.substr(0, question);
  }

  if (rest.starts_with("//")) {
    hasAuthority_ = true;
    rest.remove_prefix(2);
    size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    authority_ = std::string(authority);
    size_t at = authority.rfind('@');
    std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    std::string_view host = hostPort;
    size_t portColon = hostPort.rfind(':');
    if (portColon != std::string_view::npos && hostPort.find(']', portColon) == std::string_view::npos) {
      std::string_view port = hostPort.substr(portColon + 1);
      host = hostPort.substr(0, portColon);
      if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
      }
      if (!port.empty()) {
        if (port.size() > 5 || std::stoi(std::string(port)) > 65535) return false;
        port_ = std::stoi(std::string(port));
      }
    }
    if (!isValidHost(host)) return false;
    host_ = std::string(host);
  }
  path_ = std::string(rest);
  return true;
}

std::shared_ptr<NSURL> NSURL::URLWithString(std::string_view string) {
  auto url = std::make_shared<NSURL>();
  if (!url->parse(string)) return nullptr;
  return url;
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(std::string_view path) {
  std::string absolute = path.starts_with('/') ? std::string(path) : "/" + std::string(path);
  return URLWithString("file://" + percentEncodePath(absolute, true));
}

std::string NSURL::host() const {
  std::string host = percentDecode(host_);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return host;
}

std::string NSURL::path() const {
  std::string path = percentDecode(path_);
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string NSURL::lastPathComponent() const {
  std::string path = this->path();
  if (path.empty() || path == "/") return path;
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NSURL::pathExtension() const {
  std::string last = lastPathComponent();
  size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return last.substr(dot + 1);
}

bool NSURL::isFileURL() const {
  return scheme_.size() == 4 && std::equal(scheme_.begin(), scheme_.end(), "file", [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

std::shared_ptr<NSURL> NSURL::URLByAppendingPathComponent(std::string_view component) const {
  std::string string;
  if (!scheme_.empty()) string += scheme_ + ":";
  if (hasAuthority_) string += "//" + authority_;
  std::string path = path_;
  if (path.empty() || path.back() != '/') path += '/';
  path += percentEncodePath(component, true);
  string += path;
  if (!query_.empty()) string += "?" + query_;
  if (!fragment_.empty()) string += "#" + fragment_;
  return URLWithString(string);
}

bool NSURL::isEqual(const id& other) const {
  auto* url = dynamic_cast<const NSURL*>(other.get());
  return url && url->string_ == string_;
}

size_t NSURL::hash() const { return std::hash<std::string>{}(string_); }
