// The older title page without the module: the summary cell of each
// generation, its data arriving after the page first shows, its cells sized
// by their own rules with no layout warning, and cells gone with the page.

#include <gtest/gtest.h>

#include <algorithm>

#include "host_fixture.h"
#include "platform/uikit/layout_engine.h"

namespace {

using hosttest::bootOrFinish;
using hosttest::ChildChecks;

// Opens Breaking Bad (a series) and checks what every generation shares.
void checkOlderPage(ChildChecks& c, const char* version, host::Device device, const char* summaryClass) {
  host::HostConfig config = hosttest::configAt(version);
  config.device = device;
  host::HostApplication& app = bootOrFinish(c, config);
  const std::string at = std::string(version) + " " + host::deviceName(device) + ": ";
  host::Result<host::TitlePage> opened = app.openPageWithTitle("Breaking Bad");
  if (!c.expect(opened.ok(), at + "the page opens")) return;
  host::TitlePage page = opened.value();
  Ref<host::NFUIVideoDisplayPage> legacy = page.legacyPage();
  if (!c.expect(static_cast<bool>(legacy), at + "the older page")) return;
  const bool viewModel = static_cast<bool>(legacy->viewModel());
  c.expect(viewModel == host::HostVersion::parse(version).value().isAtLeast("10.2.0"), at + "a view model from 10.2.0");
  const int shownBefore = legacy->cellsDisplayed();
  app.runOnce();  // the view model's data, if any, arrives
  c.expect((legacy->cellsDisplayed() > shownBefore) == viewModel, at + "the reload shows the cells again");

  std::vector<host::PageCell> cells = page.visibleCells();
  if (!c.expect(!cells.empty() && cells[0].kind == host::PageItemKind::Summary, at + "the summary cell first")) return;
  c.expect(cells[0].className == summaryClass, at + "summary cell " + cells[0].className);
  c.expect(std::find(cells[0].texts.begin(), cells[0].texts.end(), "Breaking Bad") != cells[0].texts.end() ||
               summaryClass != std::string("DisplayPageSummaryArtCell"),
           at + "the title on the summary-art cell");
  c.expect(cells.size() > 2 && cells[1].frame.origin.y == cells[0].frame.origin.y + cells[0].frame.size.height,
           at + "rows follow the summary cell's own height");
  uikit::auditLayout(app.rootNavigationController()->viewIfLoaded());
  for (const std::string& w : uikit::layoutWarnings()) c.expect(false, at + w);

  Weak<UICollectionViewCell> summary(cells[0].cell.get());
  cells.clear();
  legacy = nullptr;
  page.scrollToBottom();
  page.close();
  app.runUntil([&] { return !page.isOpen(); }, std::chrono::seconds(2));
  c.expect(!summary.lock(), at + "the summary cell is destroyed with the page");
}

TEST(HostLegacyPage, EachGenerationShowsItsSummaryCellAndLaysOutCleanly) {
  struct Case {
    const char* version;
    host::Device device;
    const char* summary;
  };
  for (const Case& k : {Case{"9.18.9", host::Device::iPhone, "DisplayPageSummaryArtCell"},
                        Case{"9.19.0", host::Device::iPhone, "NFUIDisplayPageAboveTheFoldSummaryCell"},
                        Case{"9.47.9", host::Device::iPad, "DisplayPageSummaryArtCell"},
                        Case{"10.2.0", host::Device::iPad, "NFUIDisplayPageAboveTheFoldSummaryCell"},
                        Case{"11.0.0", host::Device::iPhone, "NFUIDisplayPageAboveTheFoldSummaryCell"},
                        Case{"13.14.0", host::Device::iPhone, "NFUIDisplayPageAboveTheFoldSummaryCell"},
                        Case{"14.28.0", host::Device::iPad, "NFUIDisplayPageAboveTheFoldSummaryCell"}}) {
    auto body = [k](ChildChecks& c) { checkOlderPage(c, k.version, k.device, k.summary); };
    HOST_EXPECT_IN_FRESH_PROCESS(body);
  }
}

}  // namespace
