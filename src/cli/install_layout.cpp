#include "cli/install_layout.h"

#include <cstdlib>

#include <filesystem>
#include <system_error>

#include "host/HostApplication.h"
#include "services/catalog.h"

namespace cli {
namespace fs = std::filesystem;

const InstallLayout& installLayout() {
  static const InstallLayout layout = [] {
    InstallLayout l;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    fs::path root = ec ? fs::path() : self.parent_path().parent_path();
    fs::path share = root / "share" / "scorelens";
    if (!root.empty() && fs::is_directory(share, ec)) {
      l.installed = true;
      l.modulePath = (root / "Library/MobileSubstrate/DynamicLibraries/libScoreLens.so").string();
      l.hostBundlePath = (share / "host" / "Netflix.app").string();
      l.hostCatalogPath = (share / "host" / "host-catalog.json").string();
      l.ratingsCatalogPath = (share / "services" / "ratings-catalog.json").string();
      return l;
    }
    host::HostConfig defaults;
    l.modulePath = SCORELENS_MODULE_PATH;
    l.hostBundlePath = defaults.bundlePath;
    l.hostCatalogPath = defaults.catalogPath;
    l.ratingsCatalogPath = services::defaultCatalogPath().string();
    return l;
  }();
  return layout;
}

host::HostConfig hostConfig(const std::string& version, host::Device device, const std::string& catalog,
                            const std::string& defaultsPath) {
  host::HostConfig config;
  config.version = version;
  config.device = device;
  const char* module = std::getenv("SCORELENS_MODULE");
  config.modulePath = module ? module : installLayout().modulePath;
  config.bundlePath = installLayout().hostBundlePath;
  config.catalogPath = catalog.empty() ? installLayout().hostCatalogPath : catalog;
  config.userDefaultsPath = defaultsPath;
  return config;
}

}  // namespace cli
