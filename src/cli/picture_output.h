#pragma once
// The --png and --scale options that the commands showing a screen share,
// and writing the picture they ask for.

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>
#include <string>

#include "platform/uikit/render/picture.h"

class UIColor;
class UIView;

namespace cli {

struct PictureOptions {
  std::string png;  // empty: no picture
  int scale = uikit::render::kDefaultPictureScale;
  bool wanted() const { return !png.empty(); }
};

void addPictureOptions(CLI::App* command, PictureOptions& options);

// view laid out and drawn at the options' scale.
uikit::render::Picture pictureOf(UIView* view, const PictureOptions& options, const UIColor* backdrop);
// Writes picture into options.png; false with a reason in *error when the
// file cannot be written.
bool savePicture(const uikit::render::Picture& picture, const PictureOptions& options, std::string* error);
// Both: one view's picture into options.png.
bool writePicture(UIView* view, const PictureOptions& options, const UIColor* backdrop, std::string* error);

// Adds "png": path to a command's JSON when a picture was written.
void notePicture(nlohmann::json& out, const PictureOptions& options);

}  // namespace cli
