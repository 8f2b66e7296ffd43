#include "cli/defaults_file.h"

#include <fmt/format.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "platform/foundation/NSUserDefaults.h"

namespace cli {

DefaultsFile::DefaultsFile(const std::string& given, const char* command, Use use) : given_(given), path_(given) {
  if (!given.empty() && use == Use::ReadWrite) return;
  std::error_code made;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(made);
  if (!made) {
    scratch_ = temporary / fmt::format("scorelens-{}-{}", command, static_cast<long>(::getpid()));
    std::filesystem::create_directories(scratch_, made);
  }
  if (made) {
    copyError_ = fmt::format("cannot make a scratch folder for the preferences: {}", made.message());
    return;
  }
  path_ = (scratch_ / "defaults.json").string();
  if (given.empty()) return;
  std::error_code missing;
  if (!std::filesystem::exists(given, missing)) return;  // a device's first launch: the defaults stand
  if (std::string why = unreadableFile(given); !why.empty()) {
    copyError_ = why;
    return;
  }
  std::ifstream in(given, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::ofstream(path_, std::ios::binary) << bytes.str();
}

DefaultsFile::~DefaultsFile() {
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string DefaultsFile::open() const {
  NSUserDefaults::setStandardUserDefaultsPath(path_);
  if (!copyError_.empty()) return copyError_;
  std::string why = NSUserDefaults::standardUserDefaults()->lastLoadError();
  if (why.empty() || given_.empty()) return "";
  return fmt::format("cannot use the preference file {}: {}", given_, why);
}

}  // namespace cli
