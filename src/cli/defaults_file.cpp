#include "cli/defaults_file.h"

#include <fmt/format.h>
#include <unistd.h>

namespace cli {

DefaultsFile::DefaultsFile(const std::string& given, const char* command) : path_(given) {
  if (!path_.empty()) return;
  scratch_ = std::filesystem::temp_directory_path() / fmt::format("scorelens-{}-{}", command, static_cast<long>(::getpid()));
  std::filesystem::create_directories(scratch_);
  path_ = (scratch_ / "defaults.json").string();
}

DefaultsFile::~DefaultsFile() {
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

}  // namespace cli
