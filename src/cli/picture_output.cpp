#include "cli/picture_output.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cli/commands.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/render/picture.h"

namespace cli {

void addPictureOptions(CLI::App* command, PictureOptions& options) {
  command->add_option("--png", options.png, "Also write a picture of the screen to this PNG file")->check(nonEmpty());
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
  // Drawn beside the target and renamed over it, so the file is whole or untouched;
  // the system's reasons name what went wrong.
  const std::string& path = options.png;
  std::string parent = std::filesystem::path(path).parent_path().string();
  std::string temp = (parent.empty() ? std::string(".") : parent) + "/.scorelens-png-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    *error = fmt::format("cannot write {}: {}", path, std::strerror(errno));
    return false;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);  // as a file the user makes, not a private temporary one
  ::close(fd);
  std::string why;
  if (!picture.writePNG(temp, &why)) {
    ::unlink(temp.c_str());
    *error = fmt::format("cannot write {}: {}", path, why.substr(why.rfind(": ") == std::string::npos ? 0 : why.rfind(": ") + 2));
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    *error = fmt::format("cannot write {}: {}", path, std::strerror(errno));
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool writePicture(UIView* view, const PictureOptions& options, const UIColor* backdrop, std::string* error) {
  return savePicture(pictureOf(view, options, backdrop), options, error);
}

void notePicture(nlohmann::json& out, const PictureOptions& options) {
  if (options.wanted()) out["png"] = options.png;
}

}  // namespace cli
