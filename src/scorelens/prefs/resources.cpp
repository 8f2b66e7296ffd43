// Artwork, colours and the host's typeface. Every object is made on first use
// and kept for the life of the process in a slot of its own; nothing is ever
// released, so handing out the slot's object needs no further care.

#include <mutex>
#include <string>
#include <unordered_map>

#include "scorelens/loader/libroot.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/prefs/host_version.h"

namespace {
constexpr const char* kBundlePath = "/Library/Application Support/ScoreLens.bundle";
constexpr const char* kNetflixTypeface = "NetflixSansApp-Regular";

// The callers are on the main thread; the lock costs little and keeps a stray
// caller on another thread from racing the first load.
template <class T>
class Slot {
 public:
  // The stored object, or load()'s answer, stored when it is not nil.
  template <class Load>
  Ref<T> get(Load load) {
    std::lock_guard guard(lock_);
    if (!value_) value_ = load();
    return value_;
  }

 private:
  std::mutex lock_;
  Ref<T> value_;
};

Ref<NSBundle> openBundle() {
  std::string path = NSString::stringWithUTF8String(kBundlePath)->fileSystemRepresentation();
  char resolved[CXRootPathBufferSize];
  const char* mapped = libroot_dyn_jbrootpath(path.c_str(), resolved);
  if (!mapped) return nullptr;
  return NSBundle::bundleWithPath(NSString::stringWithUTF8String(mapped));
}

// One slot per image name, each filled independently.
Ref<UIImage> image(const char* name, bool asTemplate = false) {
  static auto* slots = new std::unordered_map<std::string, Slot<UIImage>>;
  static auto* slotsLock = new std::mutex;
  Slot<UIImage>* slot;
  {
    std::lock_guard guard(*slotsLock);
    slot = &(*slots)[name];  // node-based: the slot stays where it is
  }
  return slot->get([&]() -> Ref<UIImage> {
    // Without the module's folder there is nothing to load: asking the host's
    // own resources instead could find an unrelated image of the same name
    // ("x", "settings") and keep it for good.
    Ref<NSBundle> bundle = CXPrefsManager::bundle();
    if (!bundle) return nullptr;
    Ref<UIImage> found =
        UIImage::imageNamed_inBundle_compatibleWithTraitCollection(NSString::stringWithUTF8String(name), bundle, nullptr);
    if (found && asTemplate) return found->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate);
    return found;
  });
}

// An opaque grey.
Ref<UIColor> grey(CGFloat level) { return UIColor::colorWithRed_green_blue_alpha(level, level, level, 1); }
}  // namespace

Ref<NSBundle> CXPrefsManager::bundle() {
  static auto* slot = new Slot<NSBundle>;
  return slot->get(openBundle);
}

Ref<UIImage> CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(double rating, bool hasRating,
                                                                              bool isCertified) {
  if (!hasRating) return image("tomato_bw");
  if (isCertified) return image("shooting_star");
  if (rating >= 60.0) return image("tomato");
  return image("poop");
}

Ref<UIImage> CXPrefsManager::audienceRatingImageForRating_hasRating(double rating, bool hasRating) {
  if (!hasRating) return image("smile_bw");
  if (rating >= 60.0) return image("smile");
  return image("puke");
}

Ref<UIImage> CXPrefsManager::errorImage() { return image("x"); }
Ref<UIImage> CXPrefsManager::noRatingAvailableImage() { return image("question_mark"); }
Ref<UIImage> CXPrefsManager::settingsImage() { return image("settings"); }
Ref<UIImage> CXPrefsManager::oldChevronImage() { return image("old_chevron18x18", /*asTemplate=*/true); }
Ref<UIImage> CXPrefsManager::newChevronImage() { return image("new_chevron", /*asTemplate=*/true); }

Ref<UIColor> CXPrefsManager::enhancedRatingMeterTrackColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([]() -> Ref<UIColor> {
    if (CXCompareVersionWithHostVersion("9.18.1") == NSOrderedAscending) return UIColor::lightGrayColor();
    return grey(0.22);
  });
}

Ref<UIColor> CXPrefsManager::enhancedRatingMeterProgressColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([] { return UIColor::colorWithRed_green_blue_alpha(0.9, 0.051, 0.078, 1); });
}

Ref<UIColor> CXPrefsManager::enhancedRatingLabelColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([] { return grey(0.502); });
}

Ref<UIColor> CXPrefsManager::settingsIconTintColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([] { return grey(0.702); });
}

Ref<UIColor> CXPrefsManager::settingsCellTintColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([] { return grey(0.3); });
}

Ref<UIColor> CXPrefsManager::settingsHeaderSubtitleLabelColor() {
  static auto* slot = new Slot<UIColor>;
  return slot->get([] { return grey(0.592); });
}

Ref<UIFont> CXPrefsManager::netflixFontOfSize(CGFloat size) {
  return UIFont::fontWithName_size(NSString::stringWithUTF8String(kNetflixTypeface), size);
}
