// Declared properties: names and attribute lists, as the run time reports them.

#include <mutex>
#include <shared_mutex>

#include "platform/objc/runtime_internal.h"

bool class_addProperty(Class cls, const char* name, const objc_property_attribute_t* attributes,
                       unsigned int count) {
  if (!cls || !name || (count && !attributes)) return false;
  std::string text;
  for (unsigned int i = 0; i < count; ++i) {
    if (i) text += ',';
    text += attributes[i].name ? attributes[i].name : "";
    text += attributes[i].value ? attributes[i].value : "";
  }
  std::unique_lock guard(cls->lock);
  for (const auto& p : cls->properties)
    if (p->name == name) return false;
  cls->properties.push_back(std::make_unique<objc_property>(objc_property{name, std::move(text)}));
  return true;
}

objc_property_t class_getProperty(Class cls, const char* name) {
  if (!name) return nullptr;
  for (Class c = cls; c; c = c->superclass) {
    std::shared_lock guard(c->lock);
    for (const auto& p : c->properties)
      if (p->name == name) return p.get();
  }
  return nullptr;
}

const char* property_getName(objc_property_t p) { return p ? p->name.c_str() : nullptr; }

const char* property_getAttributes(objc_property_t p) { return p ? p->attributes.c_str() : nullptr; }
