#pragma once
// Private to the run time: the structures behind Class, Method, Ivar and
// objc_property_t.

#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/objc/class.h"
#include "platform/objc/runtime.h"

struct objc_selector {
  std::string name;
};

struct objc_method {
  SEL name;
  IMP imp;  // guarded by owner->lock
  std::string types;
  Class owner;
};

struct objc_ivar {
  std::string name;
  std::string types;
  IvarGetter get;
  IvarSetter set;
};

struct objc_property {
  std::string name;
  std::string attributes;
};

struct objc_class : objc_object {
  std::string name;
  Class superclass = nullptr;
  bool isMeta = false;
  bool registered = false;
  objc::Factory factory = nullptr;  // makes the nearest C++ type's instances

  mutable std::shared_mutex lock;
  std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
  std::vector<std::unique_ptr<objc_ivar>> ivars;
  std::vector<std::unique_ptr<objc_property>> properties;
};
