#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "runtime/Selector.h"

class NSObject;
struct objc_class;
using id = std::shared_ptr<NSObject>;
using Class = objc_class*;

// ObjCType<T> says how a C++ type crosses a message send: its type encoding and the one canonical
// C++ type that stands for that encoding. Every encoding has exactly one canonical type, so two
// signatures with equal encodings are the same C++ function type. Other layers add their structs
// (CGRect, CGPoint, ...) by specialising it.
template <class T, class Enable = void>
struct ObjCType;

template <class T>
struct ObjCScalarType {
  using Canonical = T;
  static Canonical toCanonical(T v) { return v; }
  static T fromCanonical(Canonical v) { return v; }
};

#define PARLO_OBJC_SCALAR(Type, Canon, Code)                 \
  template <>                                                \
  struct ObjCType<Type> {                                    \
    using Canonical = Canon;                                 \
    static std::string encoding() { return Code; }           \
    static Canonical toCanonical(Type v) { return v; }       \
    static Type fromCanonical(Canonical v) { return static_cast<Type>(v); } \
  };

PARLO_OBJC_SCALAR(bool, bool, "B")
PARLO_OBJC_SCALAR(char, signed char, "c")
PARLO_OBJC_SCALAR(signed char, signed char, "c")
PARLO_OBJC_SCALAR(unsigned char, unsigned char, "C")
PARLO_OBJC_SCALAR(short, short, "s")
PARLO_OBJC_SCALAR(unsigned short, unsigned short, "S")
PARLO_OBJC_SCALAR(int, int, "i")
PARLO_OBJC_SCALAR(unsigned int, unsigned int, "I")
PARLO_OBJC_SCALAR(long, int64_t, "q")
PARLO_OBJC_SCALAR(long long, int64_t, "q")
PARLO_OBJC_SCALAR(unsigned long, uint64_t, "Q")
PARLO_OBJC_SCALAR(unsigned long long, uint64_t, "Q")
PARLO_OBJC_SCALAR(float, float, "f")
PARLO_OBJC_SCALAR(double, double, "d")
PARLO_OBJC_SCALAR(SEL, SEL, ":")
PARLO_OBJC_SCALAR(Class, Class, "#")
PARLO_OBJC_SCALAR(const char*, const char*, "*")

template <>
struct ObjCType<void> {
  using Canonical = void;
  static std::string encoding() { return "v"; }
};

// Any object pointer is "@" and travels as id; the receiving side casts it back.
template <class T>
struct ObjCType<std::shared_ptr<T>> {
  using Canonical = id;
  static std::string encoding() { return "@"; }
  static id toCanonical(const std::shared_ptr<T>& v) { return v; }
  static std::shared_ptr<T> fromCanonical(const id& v) {
    if constexpr (std::is_same_v<T, NSObject>) {
      return v;
    } else {
      return std::dynamic_pointer_cast<T>(v);
    }
  }
};

template <class T>
using objc_canonical_t = typename ObjCType<std::remove_cvref_t<T>>::Canonical;

// The encoding of a method with result R and arguments A: "v@:B" for -(void)setX:(BOOL)x.
template <class R, class... A>
const std::string& objc_signatureEncoding() {
  static const std::string encoding = [] {
    std::string e = ObjCType<std::remove_cvref_t<R>>::encoding() + "@:";
    ((e += ObjCType<std::remove_cvref_t<A>>::encoding()), ...);
    return e;
  }();
  return encoding;
}

// Encodings compare without the frame offsets that compilers write ("v24@0:8" == "v@:").
std::string objc_normalizedEncoding(const char* types);
