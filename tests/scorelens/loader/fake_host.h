#pragma once
// A stand-in host for the module's load-time tests: host classes made at run
// time under the host's names, with methods of the shapes the hooks replace.
// Each fake method records its call and answers a value derived from its
// arguments, so a test can tell that a call went through unchanged.
//
// Meant for a fresh process per test (fresh_process.h): classes stay in the
// class table for good.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSString.h"
#include "platform/foundation/NSValue.h"
#include "platform/objc/message.h"
#include "platform/uikit/UIGeometry.h"

namespace fake_host {

// "<receiver's class> <selector>" for every call a fake method received.
inline std::vector<std::string>& calls() {
  static std::vector<std::string> log;
  return log;
}

inline void record(id self, SEL cmd, const std::string& detail = "") {
  calls().push_back(std::string(class_getName(object_getClass(self))) + " " + sel_getName(cmd) + detail);
}

// The method shapes the hooked selectors have, named by their encoding.
enum class Shape {
  V,        // "v@:"       viewDidLoad, awakeFromNib
  VB,       // "v@:B"      viewWillAppear:
  QAt,      // "q@:@"      numberOfSectionsInTableView:
  QAtQ,     // "q@:@q"     tableView:numberOfRowsInSection:
  VAtAtAt,  // "v@:@@@"    ...willDisplayCell:for...AtIndexPath:
  AtAtAt,   // "@@:@@"     ...cellFor...AtIndexPath:
  DAtQ,     // "d@:@q"     tableView:heightForHeaderInSection:
  AtAtQ,    // "@@:@q"     tableView:viewForHeaderInSection:
  VAtAt,    // "v@:@@"     tableView:didSelectRowAtIndexPath:
  At,       // "@@:"       title
  AtAt,     // "@@:@"      initWithDictionary:
  Size,     // "{CGSize=dd}@:{CGSize=dd}"  calculatedSize:
  Present,  // "v@:@@B@"   presentViewController:fromViewController:animated:completion:
};

namespace detail {
inline void v(id self, SEL cmd) { record(self, cmd); }
inline void vb(id self, SEL cmd, bool flag) { record(self, cmd, flag ? " YES" : " NO"); }
inline long qAt(id self, SEL cmd, id) {
  record(self, cmd);
  return 3;
}
inline long qAtQ(id self, SEL cmd, id, long section) {
  record(self, cmd);
  return section + 100;
}
inline void vAtAtAt(id self, SEL cmd, id, id, id) { record(self, cmd); }
inline StrongId atAtAt(id self, SEL cmd, id, id second) {
  record(self, cmd);
  return StrongId(second);
}
inline double dAtQ(id self, SEL cmd, id, long section) {
  record(self, cmd);
  return 0.5 * section;
}
inline StrongId atAtQ(id self, SEL cmd, id, long section) {
  record(self, cmd);
  return NSString::stringWithFormat("header %ld", section);
}
inline void vAtAt(id self, SEL cmd, id, id) { record(self, cmd); }
inline StrongId at(id self, SEL cmd) {
  record(self, cmd);
  return NSString::stringWithUTF8String("host title");
}
inline StrongId atAt(id self, SEL cmd, id) {
  record(self, cmd);
  return StrongId(self);
}
inline CGSize size(id self, SEL cmd, CGSize in) {
  record(self, cmd);
  return {in.width * 2, in.height + 1};
}
inline void present(id self, SEL cmd, id, id, bool animated, id completion) {
  record(self, cmd, std::string(animated ? " YES" : " NO") + (completion ? " with completion" : ""));
}
}  // namespace detail

inline IMP impFor(Shape shape) {
  switch (shape) {
    case Shape::V: return &detail::v;
    case Shape::VB: return &detail::vb;
    case Shape::QAt: return &detail::qAt;
    case Shape::QAtQ: return &detail::qAtQ;
    case Shape::VAtAtAt: return &detail::vAtAtAt;
    case Shape::AtAtAt: return &detail::atAtAt;
    case Shape::DAtQ: return &detail::dAtQ;
    case Shape::AtAtQ: return &detail::atAtQ;
    case Shape::VAtAt: return &detail::vAtAt;
    case Shape::At: return &detail::at;
    case Shape::AtAt: return &detail::atAt;
    case Shape::Size: return &detail::size;
    case Shape::Present: return &detail::present;
  }
  return nullptr;
}

// The class named name, made on the class named superName when it does not
// exist yet.
inline Class defineClass(const char* name, const char* superName = "NSObject") {
  if (Class existing = objc_getClass(name)) return existing;
  Class cls = objc_allocateClassPair(objc_getClass(superName), name, 0);
  objc_registerClassPair(cls);
  return cls;
}

// Gives cls its own fake implementation of selector; returns that IMP.
inline IMP defineMethod(Class cls, const char* selector, Shape shape) {
  IMP imp = impFor(shape);
  EXPECT_TRUE(class_addMethod(cls, sel_registerName(selector), imp, std::string(imp.types()).c_str()))
      << class_getName(cls) << " already has " << selector;
  return imp;
}

// The implementation cls answers selector with now (its own or inherited).
inline IMP currentImp(Class cls, const char* selector) {
  return method_getImplementation(class_getInstanceMethod(cls, sel_registerName(selector)));
}

inline StrongId newInstance(Class cls) { return StrongId::adopt(class_createInstance(cls, 0)); }

// --- the host's version ---------------------------------------------------------

inline Ref<NSString>& reportedVersion() {
  static Ref<NSString> version;
  return version;
}

// Makes the host's VersionManager (once) and has it report version (nil: none).
inline void setHostVersion(const char* version) {
  reportedVersion() = version ? NSString::stringWithUTF8String(version) : nullptr;
  if (objc_getClass("VersionManager")) return;
  Class cls = defineClass("VersionManager");
  class_addMethod(cls, sel_registerName("appVersion"),
                  +[](id, SEL) -> StrongId { return StrongId(reportedVersion().get()); }, "@@:");
  class_addMethod(object_getClass(class_asObject(cls)), sel_registerName("sharedInstance"),
                  +[](id self, SEL) -> StrongId {
                    static StrongId shared = StrongId::adopt(class_createInstance(object_asClass(self), 0));
                    return shared;
                  },
                  "@@:");
}

}  // namespace fake_host
