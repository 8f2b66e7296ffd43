#pragma once
// The preference file a command's host keeps: the one given with --defaults,
// or a scratch file of this process that is removed when the holder goes.
// A command that only reads the preferences (demo) works on a scratch copy
// of the given file, so nothing it does reaches the user's file.

#include <filesystem>
#include <string>

namespace cli {

class DefaultsFile {
 public:
  enum class Use { ReadWrite, ReadOnly };
  // given: the --defaults path, "" for a scratch file named after command.
  DefaultsFile(const std::string& given, const char* command, Use use = Use::ReadWrite);
  ~DefaultsFile();
  DefaultsFile(const DefaultsFile&) = delete;
  DefaultsFile& operator=(const DefaultsFile&) = delete;

  // Where the host keeps its preferences.
  const std::string& path() const { return path_; }
  // Makes path() the standard user defaults' file and loads it. Returns why
  // the user's file cannot be used ("cannot use the preference file F: not
  // JSON (...)"), or "" when it can (or none was given).
  std::string open() const;

 private:
  std::filesystem::path scratch_;  // empty when the host works on the user's file itself
  std::string given_;
  std::string path_;
  std::string copyError_;  // why the given file could not be copied
};

}  // namespace cli
