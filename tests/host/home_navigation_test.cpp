#include "host/home/home_screens.h"
#include "host/settings/settings_classes.h"
#include "host/host_fixture.h"

namespace {

using hosttest::ChildChecks;

// The point at the middle of a table row, in window points.
CGPoint rowCentre(UITableView* table, NSInteger row) {
  CGRect r = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(row, 0));
  return table->convertPointToWindow({CGRectGetMidX(r), CGRectGetMidY(r)});
}

CGPoint centreOf(UIView* view) {
  CGRect b = view->bounds();
  return view->convertPointToWindow({CGRectGetMidX(b), CGRectGetMidY(b)});
}

// Home, a title, back, the account menu, the settings and back, all by taps,
// on the older page's generation and the current one.
void walkTheApp(ChildChecks& checks, const char* version, const char* more, bool currentPage) {
  host::HostConfig config = hosttest::configAt(version);
  config.homeScreen = true;
  host::HostApplication& app = hosttest::bootOrFinish(checks, config);
  using Titles = std::vector<std::string>;
  checks.expect(app.navigationTitles() == Titles{"Home"}, "the app opens at home");
  auto* home = objc_cast<host::HomeViewController>(app.rootNavigationController()->topViewController());
  if (!checks.expect(home, "the root is the home screen")) return;
  UITableView* table = home->tableView();
  const auto& titles = app.catalog().titles();
  checks.expect(table->numberOfRowsInSection(0) == static_cast<NSInteger>(titles.size()), "one row per catalog title");
  auto* first = objc_cast<host::HomeTitleCell>(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(0, 0)).get());
  checks.expect(first && utf8(first->titleLabel()->text()) == titles[0].title, "the first row shows the first title");
  checks.expect(first && utf8(first->yearLabel()->text()).starts_with(std::to_string(titles[0].year)), "and its year");
  checks.expect(first && titles[0].title == "Heat" && utf8(first->initialsLabel()->text()) == "H",
                "its art shows the initial of each of its first two words");
  checks.expect(!app.tapBack(), "no back button at the root");

  app.tap(rowCentre(table, 1));
  checks.expect(app.navigationTitles() == Titles{"Home", titles[1].title}, "a tap on a row opens its title");
  std::optional<host::TitlePage> page = app.topPage();
  checks.expect(page && page->videoId() == titles[1].videoId, "the page of the tapped title");
  checks.expect(page && static_cast<bool>(page->controller()) == currentPage, "of the version's generation");
  checks.expect(app.tapBack(), "the back button is shown on the page");
  app.runFor(std::chrono::milliseconds(400));
  checks.expect(app.navigationTitles() == Titles{"Home"}, "and leads home");

  app.drag({100, 600}, {100, 200});
  checks.expect(table->contentOffset() == 400, "a drag scrolls the list by the finger's way");
  app.tap(rowCentre(table, 6));
  checks.expect(app.navigationTitles().back() == titles[6].title, "a row scrolled into view opens its own title");
  app.goHome();

  app.tap(centreOf(home->moreTab()));
  checks.expect(app.navigationTitles() == Titles{"Home", more}, std::string("the second tab opens ") + more);
  auto* menu = objc_cast<host::MoreViewController>(app.rootNavigationController()->topViewController());
  if (!checks.expect(menu, "the account menu")) return;
  app.tap(rowCentre(menu->tableView(), 1));
  checks.expect(app.navigationTitles().size() == 2, "rows other than the settings open nothing");
  app.tap(rowCentre(menu->tableView(), 0));
  checks.expect(app.navigationTitles().size() == 3, "App Settings opens the settings");
  auto* settings = objc_cast<host::AppSettingsViewController>(app.rootNavigationController()->topViewController());
  checks.expect(settings && settings->barTitleLabel()->superview()->isHidden(),
                "the settings leave their title to the navigation controller's bar");
  checks.expect(app.tapBack() && app.tapBack(), "back twice");
  checks.expect(app.navigationTitles() == Titles{"Home"}, "home again");
}

TEST(HostHome, EveryGenerationNavigatesByTapsAlone) {
  HOST_EXPECT_IN_FRESH_PROCESS([](ChildChecks& c) { walkTheApp(c, "15.0.9", "More", false); });
  HOST_EXPECT_IN_FRESH_PROCESS([](ChildChecks& c) { walkTheApp(c, "16.51.0", "My Netflix", true); });
}

}  // namespace
