#pragma once

#include <cctype>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "runtime/objc.h"

namespace objc {

// Fills a C++ class's runtime class: the selectors it answers, each bound to a member function
// whose type encoding is derived from its C++ signature, and the object-typed instance variables
// that others may read by name.
template <class T>
class ClassBuilder {
 public:
  explicit ClassBuilder(Class cls) : cls_(cls) {}

  template <class R, class... A>
  ClassBuilder& method(SEL sel, R (T::*member)(A...)) {
    return add(
        sel,
        [member](T& object, auto&&... args) -> decltype(auto) {
          return (object.*member)(std::forward<decltype(args)>(args)...);
        },
        static_cast<R (*)(A...)>(nullptr));
  }

  template <class R, class... A>
  ClassBuilder& method(SEL sel, R (T::*member)(A...) const) {
    return add(
        sel,
        [member](T& object, auto&&... args) -> decltype(auto) {
          return (object.*member)(std::forward<decltype(args)>(args)...);
        },
        static_cast<R (*)(A...)>(nullptr));
  }

  // A property: the getter answers `name` and the setter `setName:`; a Boolean's getter may be
  // named `isName`, whose setter is `setName:` as well.
  template <class Getter, class Setter>
  ClassBuilder& property(std::string_view name, Getter getter, Setter setter) {
    method(SEL(name), getter);
    return method(SEL(setterName(name)), setter);
  }

  // An object-typed instance variable (a std::shared_ptr member), readable by name.
  template <class M>
  ClassBuilder& ivar(const char* name, std::shared_ptr<M> T::*member) {
    detail::addIvar(
        cls_, name, "@", [member](NSObject& object) -> id { return cast(object).*member; },
        [member](NSObject& object, const id& value) {
          cast(object).*member = ObjCType<std::shared_ptr<M>>::fromCanonical(value);
        });
    return *this;
  }

 private:
  static std::string setterName(std::string_view name) {
    if (name.size() > 2 && name.starts_with("is") &&
        std::isupper(static_cast<unsigned char>(name[2]))) {
      name.remove_prefix(2);
    }
    std::string setter = "set";
    setter += name;
    setter[3] = static_cast<char>(std::toupper(static_cast<unsigned char>(setter[3])));
    return setter + ":";
  }

  static T& cast(NSObject& object) {
    auto* typed = dynamic_cast<T*>(&object);
    if (!typed) throw RuntimeError("instance is not of the class that declares the member");
    return *typed;
  }

  template <class Invoke, class R, class... A>
  ClassBuilder& add(SEL sel, Invoke invoke, R (*)(A...)) {
    using CanonR = objc_canonical_t<R>;
    auto function = [invoke](const id& self, SEL, objc_canonical_t<A>... args) -> CanonR {
      T& object = cast(*self);
      if constexpr (std::is_void_v<R>) {
        invoke(object, ObjCType<std::remove_cvref_t<A>>::fromCanonical(args)...);
      } else {
        return ObjCType<std::remove_cvref_t<R>>::toCanonical(
            invoke(object, ObjCType<std::remove_cvref_t<A>>::fromCanonical(args)...));
      }
    };
    IMP imp = IMP::fromFunction<CanonR, objc_canonical_t<A>...>(function);
    if (!class_addMethod(cls_, sel, imp, imp.types())) {
      throw RuntimeError(std::string("selector registered twice: ") + sel.name());
    }
    return *this;
  }

  Class cls_;
};

}  // namespace objc

// Declares that a C++ class takes part in the runtime. Put it first in the class body; the
// access level after it is private. Objects are made as on the platform, in two steps, so that
// an initialiser can already hand out `self`: `auto view = UIView::alloc()->initWithFrame(r);`.
#define OBJC_CLASS(Cls, Super)           \
 public:                                 \
  using super = Super;                   \
  static Class classObject();            \
  Class isa() const override {           \
    return classObject();                \
  }                                      \
  template <class Self = Cls>            \
  static std::shared_ptr<Self> alloc() { \
    return std::make_shared<Self>();     \
  }                                      \
                                         \
 private:                                \
  static void registerMethods(::objc::ClassBuilder<Cls>& c)

// Defines the runtime class in the .cpp, followed by the body that lists its selectors:
//   OBJC_CLASS_IMPL(UIView) { c.method("setFrame:", &UIView::setFrameImp); }
// The class is registered when its library loads, so it can be found by name.
#define OBJC_CLASS_IMPL(Cls)                                                           \
  Class Cls::classObject() {                                                           \
    static const Class cls = [] {                                                      \
      Class created = ::objc::detail::registerClass(#Cls, Cls::super::classObject());  \
      ::objc::ClassBuilder<Cls> builder(created);                                      \
      registerMethods(builder);                                                        \
      return created;                                                                  \
    }();                                                                               \
    return cls;                                                                        \
  }                                                                                    \
  [[maybe_unused]] static const Class parloRegisteredClass_##Cls = Cls::classObject(); \
  void Cls::registerMethods([[maybe_unused]] ::objc::ClassBuilder<Cls>& c)
