#pragma once
// "NFUIBoxArtView": a title's artwork, as both title pages show it. The app
// downloads a picture per title; the simulated host paints one from the
// title's name instead: a dusk sky in the title's own colours over a skyline,
// darkening towards the bottom so text laid over it reads. The same name
// always paints the same picture. The painting is made of plain views placed
// by hand (no constraints); views a page lays over the art go on top of it.
// Main thread only.

#include <string>

#include "platform/uikit/UIKit.h"

namespace host {

class BoxArtView : public UIView {
 public:
  BoxArtView() = default;
  UIView* initWithFrame(CGRect frame) override;
  // Paints the art for this name; an empty name paints a plain dark backdrop.
  void setArtworkName(const std::string& name);
  const std::string& artworkName() const { return name_; }
  void layoutSubviews() override;

 private:
  std::string name_;
  Ref<UIView> canvas_;  // the painting, below anything laid over the art
};

}  // namespace host
