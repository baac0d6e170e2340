#pragma once

// The public classes of the object runtime, declared, for headers that only name them.

class ClassBuilder;
class IMP;
class NSObject;
class RuntimeError;
class SEL;
struct objc_class;
struct objc_ivar;
struct objc_method;
