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

bool writePicture(UIView* view, const PictureOptions& options, const UIColor* backdrop, std::string* error) {
  if (!view) {
    *error = "there is no screen to draw";
    return false;
  }
  view->layoutIfNeeded();
  return uikit::render::drawView(view, options.scale, backdrop).writePNG(options.png, error);
}

void notePicture(nlohmann::json& out, const PictureOptions& options) {
  if (options.wanted()) out["png"] = options.png;
}

}  // namespace cli
