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
  const bool artHeader = summaryClass != std::string("DisplayPageSummaryArtCell");
  const size_t at0 = artHeader ? 1 : 0;  // the above-the-fold cell has the art header above it
  if (!c.expect(cells.size() > at0 + 2 && cells[at0].kind == host::PageItemKind::Summary &&
                    (!artHeader || cells[0].kind == host::PageItemKind::Billboard),
                at + "the art header, if any, then the summary cell"))
    return;
  c.expect(cells[at0].className == summaryClass, at + "summary cell " + cells[at0].className);
  // Title and year are shown at the top, before anything of the summary's own.
  std::vector<std::string> top;
  for (size_t i = 0; i <= at0; ++i) top.insert(top.end(), cells[i].texts.begin(), cells[i].texts.end());
  const auto shows = [&](const std::string& what) {
    return std::any_of(top.begin(), top.end(), [&](const std::string& t) { return t.find(what) != t.npos; });
  };
  c.expect(shows("Breaking Bad") && shows("2008") && shows("Seasons"), at + "title, year and seasons at the top");
  c.expect(cells[at0].frame.origin.y == (artHeader ? cells[0].frame.size.height : 0), at + "the summary below the art");
  c.expect(cells[at0 + 1].frame.origin.y == cells[at0].frame.origin.y + cells[at0].frame.size.height,
           at + "rows follow the summary cell's own height");
  uikit::auditLayout(app.rootNavigationController()->viewIfLoaded());
  for (const std::string& w : uikit::layoutWarnings()) c.expect(false, at + w);

  Weak<UICollectionViewCell> summary(cells[at0].cell.get());
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
