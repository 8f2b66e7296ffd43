#pragma once
// The object run time: classes by run-time name, selectors, methods with type
// encodings, method replacement, added methods and properties, associated
// objects and instance variables by name. Names follow the device's API.
//
// Every entry point is safe on null: a null class, selector or object gives a
// neutral answer (null, 0, false). All functions are thread-safe.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/objc/imp.h"
#include "platform/objc/object.h"

struct objc_method;
struct objc_ivar;
struct objc_property;
using Method = objc_method*;
using Ivar = objc_ivar*;
using objc_property_t = objc_property*;

struct objc_property_attribute_t {
  const char* name;
  const char* value;
};

enum objc_AssociationPolicy : uintptr_t {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

// --- selectors -------------------------------------------------------------
// Interned: equal names give the same SEL for the life of the process.
SEL sel_registerName(const char* name);
const char* sel_getName(SEL sel);  // "<null selector>" for null
inline SEL sel(const char* name) { return sel_registerName(name); }

// --- classes ---------------------------------------------------------------
// Class objects are objects; these convert without exposing their layout.
id class_asObject(Class cls);
Class object_asClass(id obj);  // null when obj is not a class object
// Null when the running process has no class of that name.
Class objc_getClass(const char* name);
Class objc_lookUpClass(const char* name);
Class object_getClass(id obj);
const char* class_getName(Class cls);  // "nil" for null
Class class_getSuperclass(Class cls);
bool class_isMetaClass(Class cls);
// Creates a class whose instances have the superclass's storage; it exists
// under its name only after objc_registerClassPair. Null when the name is taken.
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes);
void objc_registerClassPair(Class cls);
// A new instance (+1) with its isa set to cls; null when cls cannot make one.
id class_createInstance(Class cls, size_t extraBytes);
std::vector<std::string> objc_copyClassNames();

// --- methods -----------------------------------------------------------------
// Adds a method to cls itself; false (and nothing changes) when cls itself
// already has the selector. The types text must describe imp's real type.
bool class_addMethod(Class cls, SEL name, IMP imp, const char* types);
// The method found on cls or its superclasses, or null.
Method class_getInstanceMethod(Class cls, SEL name);
Method class_getClassMethod(Class cls, SEL name);
IMP class_getMethodImplementation(Class cls, SEL name);
bool class_respondsToSelector(Class cls, SEL name);
IMP method_getImplementation(Method m);
SEL method_getName(Method m);
const char* method_getTypeEncoding(Method m);
IMP method_setImplementation(Method m, IMP imp);
// Replaces cls's implementation of name; adds an override on cls when it only
// inherits it. Returns the previous implementation (possibly inherited).
IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types);

// The hooking library's entry: replace and keep the previous implementation
// in *result, so the replacement can call through (also to an inherited one).
// A null class or a selector that the class does not answer leaves *result
// null and changes nothing.
void MSHookMessageEx(Class cls, SEL name, IMP replacement, IMP* result);

// --- properties -------------------------------------------------------------
bool class_addProperty(Class cls, const char* name, const objc_property_attribute_t* attributes,
                       unsigned int count);
objc_property_t class_getProperty(Class cls, const char* name);
const char* property_getName(objc_property_t p);
// The attribute list as the device prints it: "T@\"Name\",&,N".
const char* property_getAttributes(objc_property_t p);

// --- instance variables -----------------------------------------------------
// C++ classes declare their instance variables with their accessors; the run
// time finds them by name on the object's class or its superclasses.
using IvarGetter = std::function<StrongId(id)>;
using IvarSetter = std::function<void(id, id)>;
bool class_addIvar(Class cls, const char* name, const char* types, IvarGetter get, IvarSetter set = nullptr);
Ivar class_getInstanceVariable(Class cls, const char* name);
Ivar object_getInstanceVariable(id obj, const char* name);
const char* ivar_getName(Ivar v);
const char* ivar_getTypeEncoding(Ivar v);
// A strong reference to the variable's current value (the device returns it unretained).
StrongId object_getIvar(id obj, Ivar v);
void object_setIvar(id obj, Ivar v, id value);

// --- associated objects ------------------------------------------------------
// Values live in a side table and are released when their owner is destroyed.
void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy);
StrongId objc_getAssociatedObject(id object, const void* key);
void objc_removeAssociatedObjects(id object);

// --- messaging support -----------------------------------------------------
namespace objc {
// The implementation that answers `op` for `self`; a loud error when none does.
IMP lookUpImpOrDie(id self, SEL op);
// Runs once per process before main: registers the root class.
void registerRootClass(Class root);
}  // namespace objc
