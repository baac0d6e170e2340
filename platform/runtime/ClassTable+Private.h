#pragma once

// The layout of classes, methods and instance variables.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/objc.h"

struct objc_method {
  SEL name;
  IMP imp;
  std::string types;
};

struct objc_ivar {
  std::string name;
  std::string types;
  std::function<id(NSObject&)> get;
  std::function<void(NSObject&, const id&)> set;
};

struct objc_class {
  std::string name;
  Class superclass = nullptr;
  std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
  std::vector<std::unique_ptr<objc_ivar>> ivars;
};
