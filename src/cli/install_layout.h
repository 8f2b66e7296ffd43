#pragma once
// Where the command finds the files it works with. From the build tree they
// are where the build put them; once installed (cmake --install, or the
// Debian package) they are found relative to the command itself, so an
// installed tree works wherever it is put:
//
//   <root>/bin/scorelens
//   <root>/lib/scorelens/                      the platform and module libraries
//   <root>/Library/MobileSubstrate/DynamicLibraries/libScoreLens.so, libroot.dylib
//   <root>/Library/Application Support/ScoreLens.bundle
//   <root>/share/scorelens/host/               the simulated host's bundle and catalog
//   <root>/share/scorelens/services/           the stand-in services' catalog
//
// <root> is also the jailbreak root the device's libroot answers there.

#include <string>

#include "host/HostApplication.h"

namespace cli {

struct InstallLayout {
  bool installed = false;
  std::string modulePath;       // libScoreLens.so
  std::string hostBundlePath;   // the host's Netflix.app
  std::string hostCatalogPath;  // host-catalog.json
  std::string ratingsCatalogPath;
};

// Worked out once, from the running command's own path.
const InstallLayout& installLayout();

// A host booted from this layout: the module from $SCORELENS_MODULE when set,
// the catalog given or the layout's own, preferences in defaultsPath.
host::HostConfig hostConfig(const std::string& version, host::Device device, const std::string& catalog,
                            const std::string& defaultsPath);

}  // namespace cli
