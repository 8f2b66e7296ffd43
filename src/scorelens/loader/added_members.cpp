#include "scorelens/loader/added_members.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/foundation/NSValue.h"

namespace {
// The accessors' type code: objects are "@" in a method encoding, whatever
// class the property declares.
const char* typeCode(CXPropertyKind kind) {
  switch (kind) {
    case CXPropertyKind::Object: return "@";
    case CXPropertyKind::Integer: return "q";
    case CXPropertyKind::Boolean: return "B";
  }
  return "@";
}

// The stored bytes of a box of type `type`, or false when boxed is not one
// (never set, or cleared).
bool unbox(id boxed, const char* type, void* out) {
  auto* value = objc_cast<NSValue>(boxed);
  if (!value || std::strcmp(value->objCType(), type) != 0) return false;
  value->getValue(out);
  return true;
}
}  // namespace

namespace cx::detail {

void addProperty(Class cls, const CXAddedProperty& property, IMP getter, IMP setter) {
  if (!cls) return;
  std::string type = property.kind == CXPropertyKind::Object
                         ? std::string("@\"") + (property.className ? property.className : "") + "\""
                         : std::string(typeCode(property.kind));
  if (property.kind == CXPropertyKind::Object) {
    const objc_property_attribute_t attributes[] = {{"T", type.c_str()}, {"&", ""}, {"N", ""}};
    class_addProperty(cls, property.name, attributes, 3);
  } else {
    const objc_property_attribute_t attributes[] = {{"T", type.c_str()}, {"N", ""}};
    class_addProperty(cls, property.name, attributes, 2);
  }

  char encoding[1024];
  std::snprintf(encoding, sizeof encoding, "%s@:", typeCode(property.kind));
  class_addMethod(cls, sel_registerName(property.name), getter, encoding);
  std::snprintf(encoding, sizeof encoding, "v@:%s", typeCode(property.kind));
  std::string setterName = std::string("set") + property.name + ":";
  class_addMethod(cls, sel_registerName(setterName.c_str()), setter, encoding);
}

StrongId boxInteger(long value) { return NSValue::valueWithBytes_objCType(&value, "q"); }

StrongId boxBoolean(bool value) { return NSValue::valueWithBytes_objCType(&value, "B"); }

long unboxInteger(id boxed) {
  long value = 0;
  return unbox(boxed, "q", &value) ? value : 0;
}

bool unboxBoolean(id boxed) {
  bool value = false;
  return unbox(boxed, "B", &value) && value;
}

}  // namespace cx::detail

void CXAddMethod(Class cls, const char* selector, IMP imp, const char* types) {
  class_addMethod(cls, sel_registerName(selector), imp, types);
}

void CXHookMessage(Class cls, const char* selector, IMP replacement, IMP* saved) {
  MSHookMessageEx(cls, sel_registerName(selector), replacement, saved);
}
