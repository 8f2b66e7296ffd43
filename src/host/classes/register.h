#pragma once
// The host's classes, registered in one ordered place, as the app's binary
// brings its classes into the run time before anything else runs.

#include <string>
#include <vector>

#include "host/version.h"

namespace host {

// Registers, in order, every host class that the app of this version has,
// under its run-time name and with its run-time members, and returns the
// names in registration order. Once per process (a second call is a
// programming error: classes cannot be registered twice). Main thread.
std::vector<std::string> registerHostClasses(const HostVersion& version, Device device);

// The features of the version whose classes are registered; registering
// first is a programming error.
const HostFeatures& runningHostFeatures();

}  // namespace host
