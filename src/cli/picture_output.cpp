#include "cli/picture_output.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/render/picture.h"

namespace cli {

void addPictureOptions(CLI::App* command, PictureOptions& options) {
  command->add_option("--png", options.png, "Also write a picture of the screen to this PNG file");
  command->add_option("--scale", options.scale, "Pixels per point of the picture")
      ->check(CLI::Range(1, 3))
      ->capture_default_str();
}

uikit::render::Picture pictureOf(UIView* view, const PictureOptions& options, const UIColor* backdrop) {
  if (!view) return {};
  view->layoutIfNeeded();
  return uikit::render::drawView(view, options.scale, backdrop);
}

bool savePicture(const uikit::render::Picture& picture, const PictureOptions& options, std::string* error) {
  if (picture.empty()) {
    *error = "there is no screen to draw";
    return false;
  }
  return picture.writePNG(options.png, error);
}

bool writePicture(UIView* view, const PictureOptions& options, const UIColor* backdrop, std::string* error) {
  return savePicture(pictureOf(view, options, backdrop), options, error);
}

void notePicture(nlohmann::json& out, const PictureOptions& options) {
  if (options.wanted()) out["png"] = options.png;
}

}  // namespace cli
