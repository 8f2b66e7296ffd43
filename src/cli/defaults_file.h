#pragma once
// The preference file a command's host keeps: the one given with --defaults,
// or a scratch file of this process that is removed when the holder goes.

#include <filesystem>
#include <string>

namespace cli {

class DefaultsFile {
 public:
  // given: the --defaults path, "" for a scratch file named after command.
  DefaultsFile(const std::string& given, const char* command);
  ~DefaultsFile();
  DefaultsFile(const DefaultsFile&) = delete;
  DefaultsFile& operator=(const DefaultsFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::filesystem::path scratch_;  // empty when the file is the user's
  std::string path_;
};

}  // namespace cli
