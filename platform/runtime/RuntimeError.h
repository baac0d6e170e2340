#pragma once

#include <stdexcept>
#include <string>

namespace objc {

// A programming error found by the runtime: an unrecognised selector, a call whose C++ types do
// not match the method's type encoding, a class registered twice. Thrown so that it is loud in
// tests and debug runs instead of undefined behaviour.
class RuntimeError : public std::logic_error {
 public:
  explicit RuntimeError(const std::string& what) : std::logic_error(what) {}
};

}  // namespace objc
