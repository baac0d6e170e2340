#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "runtime/RuntimeError.h"
#include "runtime/TypeEncoding.h"

namespace objc::detail {

class ImpBase {
 public:
  virtual ~ImpBase() = default;
  virtual const std::string& types() const = 0;
  // An implementation of the same signature that calls whatever `superclass` answers for `sel`
  // at the time of the call, so later changes to the superclass are still seen.
  virtual std::shared_ptr<const ImpBase> forwarderTo(Class superclass, SEL sel) const = 0;
};

template <class R, class... A>
class Imp final : public ImpBase {
 public:
  using Function = std::function<R(const id&, SEL, A...)>;
  explicit Imp(Function function) : function(std::move(function)) {}
  const std::string& types() const override { return objc_signatureEncoding<R, A...>(); }
  std::shared_ptr<const ImpBase> forwarderTo(Class superclass, SEL sel) const override;

  Function function;
};

[[noreturn]] void throwSignatureMismatch(SEL sel, const std::string& registered,
                                         const std::string& called);

}  // namespace objc::detail

// A method implementation: a type-erased function of the form R(id self, SEL _cmd, A...).
// It remembers its signature so that every call can be checked against it.
class IMP {
 public:
  IMP() = default;

  // From a plain function whose argument types are canonical (id, SEL, bool, double, CGRect...).
  template <class R, class Self, class... A>
    requires std::is_convertible_v<const id&, Self>
  IMP(R (*function)(Self, SEL, A...))  // NOLINT: implicit, as a C function pointer converts to IMP.
      : IMP(fromFunction<R, A...>(
            [function](const id& self, SEL cmd, A... args) -> R {
              return function(self, cmd, std::forward<A>(args)...);
            })) {
    static_assert((std::is_same_v<A, objc_canonical_t<A>> && ...),
                  "IMP arguments must be canonical types (id for objects)");
  }

  // From any callable taking (const id& self, SEL _cmd, A...) and returning R; R and A are given.
  template <class R, class... A, class F>
  static IMP fromFunction(F&& function) {
    IMP imp;
    imp.box_ = std::make_shared<objc::detail::Imp<R, A...>>(
        typename objc::detail::Imp<R, A...>::Function(std::forward<F>(function)));
    return imp;
  }

  // Calls the implementation; the call's C++ types must match the registered signature.
  template <class R = void, class... Args>
  R call(const id& self, SEL sel, Args&&... args) const {
    using Canon = objc_canonical_t<R>;
    using Box = objc::detail::Imp<Canon, objc_canonical_t<Args>...>;
    const auto* box = dynamic_cast<const Box*>(box_.get());
    if (!box) {
      if (!box_) throw objc::RuntimeError(std::string("call of an empty IMP for ") + sel.name());
      objc::detail::throwSignatureMismatch(sel, box_->types(),
                                           objc_signatureEncoding<R, Args...>());
    }
    if constexpr (std::is_void_v<R>) {
      box->function(self, sel, static_cast<objc_canonical_t<Args>>(std::forward<Args>(args))...);
    } else {
      return ObjCType<std::remove_cvref_t<R>>::fromCanonical(box->function(
          self, sel, static_cast<objc_canonical_t<Args>>(std::forward<Args>(args))...));
    }
  }

  // The signature's type encoding, or "" for an empty IMP.
  const char* types() const { return box_ ? box_->types().c_str() : ""; }
  IMP forwarderTo(Class superclass, SEL sel) const {
    IMP imp;
    if (box_) imp.box_ = box_->forwarderTo(superclass, sel);
    return imp;
  }

  explicit operator bool() const { return box_ != nullptr; }
  bool operator==(const IMP& other) const { return box_ == other.box_; }

 private:
  std::shared_ptr<const objc::detail::ImpBase> box_;
};

struct objc_method;
using Method = objc_method*;
Method class_getInstanceMethod(Class cls, SEL sel);
IMP method_getImplementation(Method method);

template <class R, class... A>
std::shared_ptr<const objc::detail::ImpBase> objc::detail::Imp<R, A...>::forwarderTo(
    Class superclass, SEL sel) const {
  return std::make_shared<Imp<R, A...>>([superclass, sel](const id& self, SEL cmd, A... args) -> R {
    Method inherited = class_getInstanceMethod(superclass, sel);
    if (!inherited) throw objc::RuntimeError(std::string("superclass lost ") + sel.name());
    return method_getImplementation(inherited).template call<R>(self, cmd,
                                                                std::forward<A>(args)...);
  });
}
