#pragma once
// Images loaded from PNG files in a bundle. Only the header is read here: an
// image is its identity (name, file) and size; the renderer (render/) reads
// the pixels of the file variant that fits the scale it draws at.
// Immutable, so any thread may load and share them, as on the device.

#include <string>

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIKitDefines.h"

enum UIImageRenderingMode : long {
  UIImageRenderingModeAutomatic = 0,
  UIImageRenderingModeAlwaysOriginal = 1,
  UIImageRenderingModeAlwaysTemplate = 2,
};
UIKIT_BOUNDARY_ENUM(UIImageRenderingMode);

class UIImage : public NSObject {
 public:
  UIImage() = default;

  // "<bundle>/<name>@3x.png", "@2x.png" or ".png", the variant of the main
  // screen's scale first, then the nearest others (higher before lower). A
  // nil bundle means the main bundle; traits are ignored. A trailing ".png"
  // on name is allowed. nil when name is nil or empty, when no variant exists,
  // or when the first variant found is not a PNG file.
  static Ref<UIImage> imageNamed_inBundle_compatibleWithTraitCollection(const NSString* name, const NSBundle* bundle,
                                                                         id traitCollection);
  static Ref<UIImage> imageNamed(const NSString* name) {
    return imageNamed_inBundle_compatibleWithTraitCollection(name, nullptr, nullptr);
  }
  // The file itself; its scale comes from an "@2x"/"@3x" suffix, else 1.
  // nil when it is missing or not a PNG file.
  static Ref<UIImage> imageWithContentsOfFile(const NSString* path);

  // A new image of the same file in mode (this image when the mode is the same).
  Ref<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;

  // Points: the file's pixels divided by its scale.
  CGSize size() const { return {pixelWidth_ / scale_, pixelHeight_ / scale_}; }
  CGFloat scale() const { return scale_; }
  UIImageRenderingMode renderingMode() const { return renderingMode_; }
  // The name it was looked up by (nil for imageWithContentsOfFile) and the file read.
  NSString* name() const { return name_.get(); }
  const std::string& filePath() const { return path_; }

  Ref<NSString> description() const override;

 private:
  static Ref<UIImage> load(const std::string& path, CGFloat scale, Ref<NSString> name);

  Ref<NSString> name_;
  std::string path_;
  CGFloat pixelWidth_ = 0;
  CGFloat pixelHeight_ = 0;
  CGFloat scale_ = 1;
  UIImageRenderingMode renderingMode_ = UIImageRenderingModeAutomatic;
};
