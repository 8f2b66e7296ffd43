#pragma once
// Where the loaded module lives. The root-path lookup resolves "@rpath/"
// against the module's own directory, as the device's loader resolves it
// against the run paths of the image that asks. The module is the library the
// host loads (libScoreLens); the code shared with tests and tools sits in a
// library of its own, so the loaded library records itself here at load.

#include <string>

// Records the directory of the image that contains addressInImage. Called by
// the module library's constructor, before anything asks for a root path; a
// later call replaces the record. Any thread.
void CXRecordModuleImage(const void* addressInImage);

// The recorded directory, or "" when no module library has loaded (unit
// tests and tools that link the module's code directly). Any thread.
std::string CXModuleImageDirectory();
