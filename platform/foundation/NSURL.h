#pragma once

// NSURL: an RFC 3986 URL reference, absolute or relative, or a file URL for a device path.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/NSObject.h"

class NSURL : public NSObject {
  OBJC_CLASS(NSURL, NSObject);

 public:
  // nil when the string is empty or not a well-formed URL (spaces, non-ASCII characters, a bad
  // percent escape, a malformed scheme, host or port).
  static std::shared_ptr<NSURL> URLWithString(std::string_view string);
  // "file://" and the path, percent-encoded. A relative path is taken from "/".
  static std::shared_ptr<NSURL> fileURLWithPath(std::string_view path);

  // Parts of the URL. Absent parts are empty strings.
  const std::string& absoluteString() const { return string_; }
  // As written ("HTTP" stays "HTTP"); schemes compare without case.
  const std::string& scheme() const { return scheme_; }
  // Percent-decoded; empty for URLs without an authority.
  std::string host() const;
  std::optional<int> port() const { return port_; }
  // Percent-decoded, without a trailing "/" (except for the path "/" itself).
  std::string path() const;
  // As written, without "?" / "#".
  const std::string& query() const { return query_; }
  const std::string& fragment() const { return fragment_; }
  std::string lastPathComponent() const;
  std::string pathExtension() const;
  bool isFileURL() const;
  // A new URL with `component` (percent-encoded) added to the path after a "/".
  std::shared_ptr<NSURL> URLByAppendingPathComponent(std::string_view component) const;

  bool isEqual(const id& other) const override;
  size_t hash() const override;
  std::string description() const override { return string_; }

  // Use the factories; the constructor is public only so that make_shared can reach it.
  NSURL() = default;

 private:
  bool parse(std::string_view string);

  std::string string_;
  std::string scheme_;
  bool hasAuthority_ = false;
  std::string authority_;  // as written, with user info and port
  std::string host_;  // as written (percent-encoded)
  std::optional<int> port_;
  std::string path_;  // as written (percent-encoded)
  std::string query_;
  std::string fragment_;
};
