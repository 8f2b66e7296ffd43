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

// Draws view (laid out first) into options.png; false with a reason in
// *error when the file cannot be written.
bool writePicture(UIView* view, const PictureOptions& options, const UIColor* backdrop, std::string* error);

// Adds "png": path to a command's JSON when a picture was written.
void notePicture(nlohmann::json& out, const PictureOptions& options);

}  // namespace cli
