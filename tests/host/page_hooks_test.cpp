// The module's title-page hooks against the simulated host's real page: facts
// gathered from its cells and its swallowed details sheet complete the page.
// Offline, so that a completed page starts no request. Fresh process: the
// module's replacements stay installed in the process that loads it.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "host_fixture.h"
#include "platform/dispatch/dispatch.h"

namespace {

using hosttest::bootOrFinish;
using hosttest::ChildChecks;
using hosttest::modulePath;

TEST(HostPageHooks, FilmAndSeriesPagesCompleteFromTheirOwnCells) {
  std::string path = modulePath();
  if (path.empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "libScoreLens.so is not built in this tree";
  auto body = [path](ChildChecks& c) {
    host::HostConfig config = hosttest::configAt("16.51.0");
    config.modulePath = path;
    host::HostApplication& app = bootOrFinish(c, config);
    app.setNetworkStatus(host::NetworkStatusNotReachable);
    dispatch::ScopedManualClock clock;

    long series = 0;
    for (long id = 80001; id < 80200 && !series; ++id)
      if (const host::CatalogTitle* t = app.catalog().find(id); t && !t->isMovie && t->seasons.value_or(0) > 0)
        series = id;
    c.expect(series != 0, "the catalog has a series");

    for (long video : {80001L, series}) {
      host::Result<host::TitlePage> page = app.openPage(video);
      if (!c.expect(page.ok(), "page " + std::to_string(video) + " opens")) continue;
      StrongId dataSource = page.value().dataSource();
      c.expect(static_cast<bool>(objc_msgSend<StrongId>(dataSource, "CXEnhancedRatingViewContainer")),
               "page " + std::to_string(video) + " has a strip");
      c.expect(!objc_msgSend<bool>(dataSource, "CXHasCompletedEnhancedRatingViewContainer"),
               "the update waits for the sheet's delay");
      dispatch::Clock::advance(std::chrono::milliseconds(200));
      app.runOnce();
      c.expect(objc_msgSend<bool>(dataSource, "CXHasCompletedEnhancedRatingViewContainer"),
               "title, year and runtime or seasons from the page complete " + std::to_string(video));
      c.expect(app.presentedSheets().empty(), "the module's sheet was never shown");
      StrongId strip = objc_msgSend<StrongId>(dataSource, "CXEnhancedRatingViewContainer");
      c.expect(!objc_msgSend<StrongId>(strip, "ratingDataTask"), "offline: no request");
      // The user's own tap afterwards is the user's: its sheet shows (a turn later).
      c.expect(page.value().tapMetadata(), "the metadata line is on screen");
      app.runOnce();
      c.expect(app.presentedSheets().size() == 1, "the user's tap shows the sheet");
      page.value().dismissPresentedSheet();
      app.clearPresentedSheets();
      page.value().close();
    }
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

}  // namespace
