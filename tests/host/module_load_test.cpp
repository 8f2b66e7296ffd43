// The host with the real ScoreLens module loaded by dlopen, when the build
// tree has one. Runs in a fresh process: the module's replacements stay
// installed for the life of the process that loads it.

#include <gtest/gtest.h>

#include <filesystem>

#include "host_fixture.h"

namespace {

using hosttest::bootOrFinish;
using hosttest::ChildChecks;
using hosttest::modulePath;

TEST(HostWithModule, LoadsTheModuleAndStillServesItsTitlePage) {
  std::string path = modulePath();
  if (path.empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "libScoreLens.so is not built in this tree";
  auto body = [path](ChildChecks& c) {
    host::HostConfig config = hosttest::configAt("16.51.0");
    config.modulePath = path;
    host::HostApplication& app = bootOrFinish(c, config);
    c.expect(app.moduleLoaded(), "the module is loaded");
    // Offline, so that no lookup leaves the machine.
    app.setNetworkStatus(host::NetworkStatusNotReachable);
    host::Result<host::TitlePage> page = app.openPage(80001);
    if (!c.expect(page.ok(), "the page opens with the module loaded")) return;
    app.runOnce();  // the details entity arrives and its sheet is presented
    std::vector<host::PageCell> cells = page.value().visibleCells();
    c.expect(!cells.empty(), "the page still shows its cells");
    // The module asked for the details itself: the sheet it opened was
    // swallowed, and its strip went into the play-button cell.
    c.expect(app.presentedSheets().empty(), "the module's own details tap shows no sheet");
    StrongId strip = objc_msgSend<StrongId>(page.value().dataSource(), "CXEnhancedRatingViewContainer");
    bool placed = false;
    for (const host::PageCell& cell : cells)
      if (cell.kind == host::PageItemKind::PlayButton && strip)
        placed = objc_msgSend<bool>(strip, "isDescendantOfView:", cell.cell);
    c.expect(placed, "the module's strip sits in the play-button cell");
    // A tap by the user afterwards is the user's: the sheet shows.
    c.expect(page.value().tapMetadata(), "the user can tap the metadata line");
    c.expect(app.runUntil([&] { return app.presentedSheets().size() == 1; }, std::chrono::seconds(5)),
             "the user's tap shows the sheet");
    page.value().close();
    c.expect(!page.value().isOpen(), "and closes");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

}  // namespace
