#include "child_modes.h"

#include <dlfcn.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/HostApplication.h"
#include "host/legacy/legacy_page_classes.h"
#include "host/title_page/CDSCollectionView.h"
#include "platform/uikit/NSIndexPath.h"

namespace bench {
namespace {

// The main thread's own CPU time: what the module costs the host's thread,
// and what other work on a shared machine disturbs least.
long long threadNanos() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

host::HostApplication* bootHost(bool withModule, const char* version = nullptr) {
  host::HostConfig config;
  if (version) config.version = version;
  config.userDefaultsPath = "";
  if (withModule) config.modulePath = SCORELENS_MODULE_PATH;
  auto booted = host::HostApplication::boot(config);
  if (!booted) {
    std::fprintf(stderr, "the host did not boot: %s\n", booted.error().message.c_str());
    std::exit(1);
  }
  return booted.value();
}

// The device's libroot sits beside the module, as the command line sets up.
void useDeviceLibroot() {
  std::string module = SCORELENS_MODULE_PATH;
  setenv("SCORELENS_RPATH", module.substr(0, module.rfind('/')).c_str(), 0);
}

int measureLoad() {
  bootHost(false);
  const long long start = threadNanos();
  void* handle = dlopen(SCORELENS_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  const long long nanos = threadNanos() - start;
  if (!handle) {
    std::fprintf(stderr, "the module did not load: %s\n", dlerror());
    return 1;
  }
  std::printf("%lld\n", nanos);
  return 0;
}

int measureCells(bool withModule, int rounds) {
  host::HostApplication* app = bootHost(withModule);
  // Offline, so that no lookup leaves the machine and the work is all local.
  app->setNetworkStatus(host::NetworkStatusNotReachable);
  auto page = app->openPage(80001);
  if (!page) {
    std::fprintf(stderr, "the page did not open\n");
    return 1;
  }
  app->runOnce();
  auto collection = page.value().collectionView();
  StrongId dataSource(page.value().dataSource());
  const NSInteger items = collection->numberOfItems();
  long long cells = 0;
  const long long start = threadNanos();
  for (int round = 0; round < rounds; ++round) {
    for (NSInteger item = 0; item < items; ++item) {
      Ref<NSIndexPath> path = NSIndexPath::indexPathForItem_inSection(item, 0);
      StrongId cell = objc_msgSend<StrongId>(dataSource, "collectionView:cellForItemAtIndexPath:", collection.get(), path);
      if (!cell) return 1;
      ++cells;
    }
    app->runOnce();  // what the cells queued for the main thread counts too
  }
  std::printf("%lld\n", (threadNanos() - start) / cells);
  return 0;
}

// The older page (the last version before 16.1): each round the page hands
// out its summary cell, loaded afresh from its interface file since the one
// before is no longer in the list, and is told the cell is about to show.
int measureSummaryCells(bool withModule, int rounds) {
  host::HostApplication* app = bootHost(withModule, "15.0.9");
  app->setNetworkStatus(host::NetworkStatusNotReachable);
  auto page = app->openPage(80001);
  if (!page || !page.value().legacyPage()) {
    std::fprintf(stderr, "the older page did not open\n");
    return 1;
  }
  app->runOnce();  // the view model's data arrives
  auto collection = page.value().collectionView();
  StrongId legacyPage(page.value().legacyPage());
  Ref<NSIndexPath> path = NSIndexPath::indexPathForItem_inSection(0, 0);
  const long long start = threadNanos();
  for (int round = 0; round < rounds; ++round) {
    StrongId cell = objc_msgSend<StrongId>(legacyPage, "collectionView:cellForItemAtIndexPath:", collection.get(), path);
    if (!cell) return 1;
    objc_msgSend<void>(legacyPage, "collectionView:willDisplayCell:forItemAtIndexPath:", collection.get(), cell, path);
    app->runOnce();
  }
  std::printf("%lld\n", (threadNanos() - start) / rounds);
  return 0;
}

}  // namespace

int runChildMode(int argc, char** argv) {
  useDeviceLibroot();
  const std::string mode = argv[1] + std::strlen("--child=");
  if (mode == "load") return measureLoad();
  if (mode == "cells" && argc >= 4) return measureCells(std::string(argv[2]) == "with", std::atoi(argv[3]));
  if (mode == "summary" && argc >= 4)
    return measureSummaryCells(std::string(argv[2]) == "with", std::atoi(argv[3]));
  std::fprintf(stderr, "unknown child mode %s\n", argv[1]);
  return 2;
}

}  // namespace bench
