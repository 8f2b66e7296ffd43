#pragma once
// Fonts by typeface name and point size. A named typeface exists only when
// the running process carries it: the host registers its own typefaces at
// start-up with registerFontName, as the device learns them from the app's
// bundle. The system typefaces are always there. Immutable values; the
// registry is synchronised, so any thread may ask.

#include <string>

#include "platform/foundation/NSString.h"

class UIFont : public NSObject {
 public:
  UIFont() = default;
  UIFont(Ref<NSString> name, CGFloat pointSize) : name_(std::move(name)), pointSize_(pointSize) {}

  // nil when no typeface of that name is registered (or name is nil).
  static Ref<UIFont> fontWithName_size(const NSString* name, CGFloat size);
  static Ref<UIFont> systemFontOfSize(CGFloat size);
  static Ref<UIFont> boldSystemFontOfSize(CGFloat size);
  // The size labels use when nobody sets a font.
  static constexpr CGFloat labelFontSize() { return 17; }

  // Makes fontWithName_size answer for name from now on. Idempotent.
  static void registerFontName(const std::string& name);
  // Forgets a host typeface again (tests restore the registry with it); the
  // system typefaces cannot be removed.
  static void unregisterFontName(const std::string& name);
  static bool isFontNameRegistered(const std::string& name);

  NSString* fontName() const { return name_.get(); }
  CGFloat pointSize() const { return pointSize_; }
  Ref<UIFont> fontWithSize(CGFloat size) const { return make<UIFont>(name_, size); }

  // Same typeface name and size.
  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override;

 private:
  Ref<NSString> name_;
  CGFloat pointSize_ = 0;
};

// The names systemFontOfSize and boldSystemFontOfSize answer with.
inline constexpr const char* kUISystemFontName = ".SFUI-Regular";
inline constexpr const char* kUIBoldSystemFontName = ".SFUI-Semibold";

// Value equality that treats two nils as equal.
bool UIFontEqual(const UIFont* a, const UIFont* b);
