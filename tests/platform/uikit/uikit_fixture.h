#pragma once
// Every toolkit test starts with an empty main queue, a manual clock, the
// phone screen and an application that has opened nothing.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIKit.h"

class UIKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Other tests leave queue threads behind; forking amid them is unsafe.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    dispatch::MainRunLoop::resetForTesting();
    dispatch::Clock::setManual(true);
    UIScreen::mainScreen()->configureAsPhone();
    UIApplication::sharedApplication()->clearOpenedURLs();
    UIApplication::sharedApplication()->setOpenableURLSchemes({"http", "https"});
  }
  void TearDown() override {
    dispatch::MainRunLoop::resetForTesting();
    dispatch::Clock::setManual(false);
    UIScreen::mainScreen()->configureAsPhone();
  }

  static void advance(double seconds) {
    dispatch::Clock::advance(std::chrono::nanoseconds(static_cast<long long>(seconds * 1e9)));
  }
  // Runs the main queue until predicate holds; false if it never does.
  static bool runUntil(const std::function<bool()>& predicate) {
    return dispatch::MainRunLoop::runUntil(predicate, std::chrono::seconds(10));
  }
};

// A run-time subclass of base, made once per process under name.
inline Class runtimeSubclass(Class base, const char* name) {
  if (Class existing = objc_getClass(name)) return existing;
  Class c = objc_allocateClassPair(base, name, 0);
  objc_registerClassPair(c);
  return c;
}

template <class T>
Ref<T> instanceOf(Class cls) {
  StrongId made = StrongId::adopt(class_createInstance(cls, 0));
  return Ref<T>(objc_cast<T>(made.get()));
}

// The resource folder the module ships, in the source tree.
inline std::string resourceBundlePath() { return std::string(SCORELENS_SOURCE_DIR) + "/resources/ScoreLens.bundle"; }
