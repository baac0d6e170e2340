#pragma once

// The public classes of the object runtime, declared, for headers that only name them.

class IMP;
class NSObject;
class SEL;
struct objc_class;
struct objc_ivar;
struct objc_method;

namespace objc {
template <class T>
class ClassBuilder;
class RuntimeError;
}  // namespace objc
