// The host's settings with the module loaded as on a device, at the hosts of
// each settings generation: the entry after the host's sections, the module
// screen it opens, switches that write the preferences at once and keep them
// across launches, and host screens that answer as without the module. Each
// case runs in a fresh process (one app, one version, per process).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/settings/settings_screen.h"
#include "host_fixture.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/text_metrics.h"

namespace {

using hosttest::bootOrFinish;
using hosttest::ChildChecks;
using hosttest::modulePath;

#define SKIP_WITHOUT_MODULE()                                                          \
  if (modulePath().empty() || !std::filesystem::exists(modulePath())) \
  GTEST_SKIP() << "libScoreLens.so is not built in this tree"

// Beside the test binary, so that the parent and the children it re-executes
// agree on the name (and other build trees do not share it).
std::string scratchFile(const std::string& name) {
  auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "settings-test-scratch";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

host::HostApplication& bootWith(ChildChecks& c, const std::string& version, const std::string& defaults,
                                bool module = true) {
  host::HostConfig config = hosttest::configAt(version);
  if (module) config.modulePath = modulePath();
  config.userDefaultsPath = defaults;
  return bootOrFinish(c, config);
}

// view shows something and all of it lies inside box (an ancestor), so a
// picture of box shows it whole.
bool wholeInside(UIView* view, UIView* box) {
  CGRect f = view->frame();
  for (Ref<UIView> up = view->superview(); up && up.get() != box; up = up->superview()) {
    f.origin.x += up->frame().origin.x - up->bounds().origin.x;
    f.origin.y += up->frame().origin.y - up->bounds().origin.y;
  }
  CGSize b = box->bounds().size;
  constexpr CGFloat slack = 0.5;
  return f.size.width > 0 && f.size.height > 0 && f.origin.x >= -slack && f.origin.y >= -slack &&
         f.origin.x + f.size.width <= b.width + slack && f.origin.y + f.size.height <= b.height + slack;
}

// The label of a section's header view that shows its text (title or subtitle).
UILabel* headerLabel(UIViewController* screen, NSInteger section, bool title) {
  UITableView* table = host::settingsTableOf(screen);
  Ref<UIView> header = table ? table->headerViewForSection(section) : nullptr;
  auto* group = objc_cast<host::AppSettingsItemGroupView>(header.get());
  if (!group) return nullptr;
  return title ? group->title().get() : group->subtitle().get();
}

bool pref(const char* key) { return NSUserDefaults::standardUserDefaults()->boolForKey(NSString::stringWithUTF8String(key)); }

struct Generation {
  const char* version;
  bool current;
  size_t hostSections;
  bool padded;                    // two spare sections after the module's
  const char* extras;             // the entry section's header
  const char* criticHeader;
  const char* audienceHeader;
  const char* entryAccessory;
  bool entryIcon;
  std::optional<double> entryTitleTopMargin;
};

const Generation kGenerations[] = {
    {"9.30.0", false, 4, false, "EXTRAS", "CRITIC RATINGS", "AUDIENCE RATINGS", "disclosure", false, 17.0},
    {"12.10.0", false, 5, true, "Extras", "Critic Ratings", "Audience Ratings", "chevron-old", true, 11.0},
    {"14.30.0", false, 5, true, "Extras", "Critic Ratings", "Audience Ratings", "chevron-new", true, 11.0},
    {"15.1.0", true, 6, false, "Extras", "Critic Ratings", "Audience Ratings", "chevron-new", true, std::nullopt},
    {"16.51.0", true, 6, false, "Extras", "Critic Ratings", "Audience Ratings", "chevron-new", true, std::nullopt},
};

// Opens the module screen from the root's entry row, as a finger would.
Ref<UIViewController> openModuleScreen(ChildChecks& c, host::HostApplication& app, UIViewController* root,
                                       NSInteger entrySection) {
  c.expect(host::tapSettingsRow(app, root, entrySection, 0), "the entry row is shown");
  app.runUntil([] { return !UIView::hasRunningAnimations(); }, std::chrono::seconds(2));
  UIViewController* top = app.rootNavigationController()->topViewController();
  c.expect(top != root, "selecting the entry pushes a screen");
  return Ref<UIViewController>(top);
}

void checkGeneration(ChildChecks& c, const Generation& g, const std::string& defaults) {
  host::HostApplication& app = bootWith(c, g.version, defaults);
  NSUserDefaults::standardUserDefaults()->setBool_forKey(false, "CXAudienceRatingPercentageEnabled"_ns);
  Ref<UIViewController> root = host::openSettings(app);
  host::SettingsScreenView view = host::readSettingsScreen(root);
  std::vector<host::SettingsSection> hostSections = make<host::AppSettingsRootProvider>()->sections();
  size_t n = hostSections.size();
  c.expect(n == g.hostSections, "the host has its sections");
  if (!c.expect(view.sections.size() == n + (g.padded ? 3 : 1), "root sections: " + std::to_string(view.sections.size())))
    return;
  for (size_t s = 0; s < n; ++s) {
    c.expect(view.sections[s].rows.size() == hostSections[s].items.size(), "host section " + std::to_string(s) + " rows");
    c.expect(view.sections[s].header && !view.sections[s].rows.empty() &&
                 view.sections[s].rows[0].title == hostSections[s].items[0].title,
             "host section " + std::to_string(s) + " is the host's");
  }
  const host::SettingsSectionView& entry = view.sections[n];
  c.expect(entry.header && entry.header->title.empty() && entry.header->subtitle == g.extras &&
               entry.header->height == UITableViewAutomaticDimension,
           std::string("entry header reads ") + (entry.header ? entry.header->subtitle : "nothing"));
  if (c.expect(entry.rows.size() == 1, "one entry row")) {
    const host::SettingsRowView& row = entry.rows[0];
    c.expect(row.title == "ScoreLens" && !row.titleHidden && row.subtitle.empty() && row.subtitleHidden, "entry title");
    c.expect(row.accessory == std::optional<std::string>(g.entryAccessory), "entry accessory " + row.accessory.value_or("none"));
    c.expect(g.entryIcon ? row.icon == std::optional<std::string>("settings") && row.iconTemplate : !row.icon,
             "entry icon " + row.icon.value_or("none"));
    c.expect(row.titleTopMargin == g.entryTitleTopMargin, "entry title top margin");
    if (g.entryIcon)
      c.expect(UIColorEqual(row.cell->tintColor(), UIColor::colorWithWhite_alpha(0.3, 1)), "the entry row's tint");
  }
  for (size_t s = n + 1; s < view.sections.size(); ++s) c.expect(view.sections[s].rows.empty(), "spare sections are empty");
  // Rows size themselves: a subtitle ("member@example.com") ends inside its row.
  for (size_t s = 0; s < n; ++s)
    for (const host::SettingsRowView& row : view.sections[s].rows)
      if (auto* cell = objc_cast<host::AppSettingsDefaultItemCell>(row.cell); cell && !row.subtitle.empty())
        c.expect(wholeInside(cell->subtitle().get(), cell), "the subtitle " + row.subtitle + " ends inside its row");
  // What a picture shows: each header's text inside its header, the host's and the entry's.
  for (size_t s = 0; s <= n; ++s) {
    UILabel* label = headerLabel(root, static_cast<NSInteger>(s), false);
    c.expect(label && wholeInside(label, label->superview()->superview().get()),
             "root header " + std::to_string(s) + "'s text is laid out inside the header");
  }

  Ref<UIViewController> module = openModuleScreen(c, app, root, static_cast<NSInteger>(n));
  host::SettingsScreenView screen = host::readSettingsScreen(module);
  c.expect(screen.title == "ScoreLens", "module screen title: " + screen.title);
  if (!c.expect(screen.sections.size() == (g.padded ? 5u : 3u), "module sections")) return;
  std::vector<size_t> rows;
  for (const auto& s : screen.sections) rows.push_back(s.rows.size());
  c.expect(rows[0] == 1 && rows[1] == 2 && rows[2] == 2 && (!g.padded || (rows[3] == 0 && rows[4] == 0)), "rows 1, 2, 2");
  const host::SettingsRowView& description = screen.sections[0].rows[0];
  c.expect(description.titleHidden && !description.subtitleHidden &&
               description.subtitle == "Use these options to customize the display of each type of rating." &&
               !description.accessory,
           "the description row");
  c.expect(screen.sections[0].header && screen.sections[0].header->title.empty() &&
               screen.sections[0].header->height == (g.current ? 0.0 : UITableViewAutomaticDimension),
           "section 0's blank header takes no room on the current controller, automatic on the older");
  for (size_t s : {1, 2})
    c.expect(screen.sections[s].header && screen.sections[s].header->title == (s == 1 ? g.criticHeader : g.audienceHeader) &&
                 screen.sections[s].header->height == UITableViewAutomaticDimension,
             "header " + (screen.sections[s].header ? screen.sections[s].header->title : std::string()));
  for (NSInteger s : {1, 2}) {
    UILabel* label = headerLabel(module, s, true);
    c.expect(label && wholeInside(label, label->superview()->superview().get()),
             "module header " + std::to_string(s) + "'s title is laid out inside the header");
    UILabel* subtitle = headerLabel(module, s, false);
    c.expect(std::string(g.extras) == "EXTRAS" || (subtitle && subtitle->font()->pointSize() == 12.0),
             "module header " + std::to_string(s) + "'s subtitle font, styled with the settings redesign");
  }
  auto* descriptionCell = objc_cast<host::AppSettingsDefaultItemCell>(description.cell);
  c.expect(descriptionCell && wholeInside(descriptionCell->subtitle().get(), descriptionCell),
           "the description ends inside its row");
  if (descriptionCell) {
    UILabel* text = descriptionCell->subtitle().get();
    CGFloat wrapped = uikit::measureText(text->text(), text->font(), 0, text->frame().size.width).height;
    c.expect(wrapped > 1.5 * uikit::measureText(text->text(), text->font(), 1).height &&
                 text->frame().size.height >= wrapped - 0.01,
             "the description wraps and its row grows to show all of it");
  }
  std::vector<bool> states;
  for (int s = 1; s <= 2; ++s)
    for (const auto& r : screen.sections[s].rows) {
      c.expect(r.title == (states.size() % 2 ? "Meter" : "Percentage") && !r.titleHidden &&
                   r.accessory == std::optional<std::string>("switch"),
               "switch row " + r.title);
      c.expect(r.onTint && UIColorEqual(r.onTint, r.cell->tintColor()), "the switch is on in the cell's tint");
      UIColor* behind = objc_cast<host::AppSettingsDefaultItemCell>(r.cell)->title()->backgroundColor();
      c.expect(g.current == (behind && UIColorEqual(behind, UIColor::clearColor())),
               "the title's background is cleared on the current controller only");
      states.push_back(r.switchOn.value_or(false));
    }
  c.expect(states == std::vector<bool>{true, true, false, true}, "the switches show the stored preferences");

  c.expect(host::flipSettingsSwitch(module, 1, 1), "the critic meter switch flips");
  c.expect(!pref("CXCriticRatingMeterEnabled"), "written at once");
  c.expect(pref("CXCriticRatingPercentageEnabled") && !pref("CXAudienceRatingPercentageEnabled") &&
               pref("CXAudienceRatingMeterEnabled"),
           "the other three stay as they were");
  for (auto [s, r, key] : {std::tuple{1, 0, "CXCriticRatingPercentageEnabled"}, {2, 0, "CXAudienceRatingPercentageEnabled"},
                           {2, 1, "CXAudienceRatingMeterEnabled"}}) {
    const bool before = pref(key);
    c.expect(host::flipSettingsSwitch(module, s, r) && pref(key) != before && host::flipSettingsSwitch(module, s, r) &&
                 pref(key) == before,
             std::string(key) + " follows its switch");
  }

  std::vector<Ref<NSDictionary>> menu = host::currentAppMenuEntries();
  c.expect(!menu.empty() && utf8(objc_cast<NSString>(menu.back()->objectForKey("name"_ns))) == "ScoreLens 3.2.6",
           "the app menu ends with the module's entry");
  std::optional<std::string> label = host::simpleSettingsVersionLabel(app);
  c.expect(g.current == label.has_value(), "the simple settings screen exists from 15.1.0");
  if (label) c.expect(label->ends_with("); ScoreLens 3.2.6") && label->starts_with("Netflix "), "label: " + *label);
}

TEST(HostSettings, EveryGenerationShowsTheEntryAndAModuleScreenWhoseSwitchesPersist) {
  SKIP_WITHOUT_MODULE();
  for (const Generation& g : kGenerations) {
    SCOPED_TRACE(g.version);
    std::string defaults = scratchFile(std::string("defaults-") + g.version + ".json");
    auto first = [&](ChildChecks& c) {
      std::filesystem::remove(defaults);
      checkGeneration(c, g, defaults);
    };
    HOST_EXPECT_IN_FRESH_PROCESS(first);
    // A new launch of the host reads what the switch wrote.
    auto again = [&](ChildChecks& c) {
      host::HostApplication& app = bootWith(c, g.version, defaults);
      c.expect(!pref("CXCriticRatingMeterEnabled") && pref("CXCriticRatingPercentageEnabled"), "kept across launches");
      Ref<UIViewController> root = host::openSettings(app);
      Ref<UIViewController> module =
          openModuleScreen(c, app, root, static_cast<NSInteger>(make<host::AppSettingsRootProvider>()->sections().size()));
      host::SettingsScreenView screen = host::readSettingsScreen(module);
      c.expect(screen.sections.size() > 1 && screen.sections[1].rows.size() == 2 &&
                   screen.sections[1].rows[1].switchOn == std::optional<bool>(false),
               "the module screen shows the stored state");
    };
    HOST_EXPECT_IN_FRESH_PROCESS(again);
  }
}

// --- host screens the module leaves alone -------------------------------------------------------

std::string describe(const host::SettingsScreenView& screen, size_t sections) {
  std::ostringstream out;
  out << "screen " << screen.title << "\n";
  for (size_t s = 0; s < std::min(sections, screen.sections.size()); ++s) {
    const auto& section = screen.sections[s];
    out << " section";
    if (section.header) out << " " << section.header->title << "|" << section.header->subtitle << "|" << section.header->height;
    out << "\n";
    for (const auto& r : section.rows) {
      Ref<NSString> tint = r.cell->tintColor()->description();
      out << "  row " << r.title << "|" << r.titleHidden << "|" << r.subtitle << "|" << r.subtitleHidden << "|"
          << r.icon.value_or("-") << r.iconTemplate << "|" << r.accessory.value_or("-") << "|"
          << (r.switchOn ? (*r.switchOn ? "on" : "off") : "-") << "|" << r.titleTopMargin.value_or(-1) << "|"
          << utf8(tint) << "\n";
    }
  }
  return out.str();
}

// The root's host sections and every screen they open, written to `file`.
void describeHostScreens(ChildChecks& c, const std::string& version, bool module, const std::string& file) {
  host::HostApplication& app = bootWith(c, version, "", module);
  Ref<UIViewController> root = host::openSettings(app);
  size_t n = make<host::AppSettingsRootProvider>()->sections().size();
  host::SettingsScreenView view = host::readSettingsScreen(root);
  std::string text = describe(view, n);
  for (size_t s = 0; s < n; ++s)
    for (size_t r = 0; r < view.sections[s].rows.size(); ++r) {
      const auto& row = view.sections[s].rows[r];
      if (!row.accessory || row.accessory == "switch") continue;
      host::tapSettingsRow(app, root, static_cast<NSInteger>(s), static_cast<NSInteger>(r));
      UIViewController* top = app.rootNavigationController()->topViewController();
      if (top == root.get()) continue;
      text += host::settingsTableOf(top) ? describe(host::readSettingsScreen(top), 99) : "screen " + utf8(top->title()) + "\n";
      app.rootNavigationController()->popViewControllerAnimated(false);
      app.layoutIfNeeded();
    }
  text += describe(host::readSettingsScreen(root), n);  // and the root again, after the visits
  std::ofstream(file) << text;
}

TEST(HostSettings, HostScreensAnswerExactlyAsWithoutTheModule) {
  SKIP_WITHOUT_MODULE();
  for (const Generation& g : kGenerations) {
    SCOPED_TRACE(g.version);
    std::string with = scratchFile(std::string("with-") + g.version), without = scratchFile(std::string("without-") + g.version);
    auto withModule = [&](ChildChecks& c) { describeHostScreens(c, g.version, true, with); };
    auto withoutModule = [&](ChildChecks& c) { describeHostScreens(c, g.version, false, without); };
    HOST_EXPECT_IN_FRESH_PROCESS(withModule);
    HOST_EXPECT_IN_FRESH_PROCESS(withoutModule);
    std::stringstream a, b;
    a << std::ifstream(with).rdbuf();
    b << std::ifstream(without).rdbuf();
    std::string withText = a.str();
    // The older About screen lists the app's menu, where the module's entry belongs.
    if (!g.current) {
      auto at = withText.find("  row ScoreLens 3.2.6|");
      EXPECT_NE(at, std::string::npos) << "the About screen lists the module's menu entry";
      if (at != std::string::npos) withText.erase(at, withText.find('\n', at) + 1 - at);
    }
    EXPECT_FALSE(b.str().empty());
    EXPECT_EQ(withText, b.str());
  }
}

// --- edge cases ----------------------------------------------------------------------------------------

TEST(HostSettings, TheEntryFollowsTheHostsSectionCountFromReloadToReload) {
  SKIP_WITHOUT_MODULE();
  for (const char* version : {"12.10.0", "16.51.0"}) {
    auto body = [version](ChildChecks& c) {
      host::HostApplication& app = bootWith(c, version, "");
      Ref<UIViewController> root = host::openSettings(app);
      UITableView* table = host::settingsTableOf(root);
      size_t before = host::readSettingsScreen(root).sections.size();
      NSUserDefaults::standardUserDefaults()->setBool_forKey(true, NSString::stringWithUTF8String(host::kDownloadsUnavailableKey));
      table->reloadData();
      host::SettingsScreenView view = host::readSettingsScreen(root);
      size_t n = make<host::AppSettingsRootProvider>()->sections().size();
      c.expect(view.sections.size() == before - 1, "one host section fewer");
      c.expect(view.sections.size() > n && view.sections[n].rows.size() == 1 && view.sections[n].rows[0].title == "ScoreLens",
               "the entry moved to the new last host index");
      c.expect(objc_msgSend<long>(root, "CXRootSettingsOriginalNumSections") == static_cast<long>(n), "stored count follows");
      c.expect(table->numberOfRowsInSection(static_cast<NSInteger>(n + 1)) == 0, "nothing after the entry");
    };
    HOST_EXPECT_IN_FRESH_PROCESS(body);
  }
}

TEST(HostSettings, OlderScreensOfOtherProvidersOrNoneAreTheHostsOwn) {
  SKIP_WITHOUT_MODULE();
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootWith(c, "14.30.0", "");
    Class settings = objc_getClass("AppSettingsViewController");
    for (StrongId provider : {StrongId(make<host::AppSettingsAccountProvider>()), StrongId()}) {
      StrongId made = objc_msgSend<StrongId>(settings, "newMenuViewControllerWithProvider:", provider);
      auto* controller = objc_cast<UIViewController>(made.get());
      app.rootNavigationController()->pushViewController_animated(controller, false);
      app.layoutIfNeeded();
      c.expect(objc_msgSend<long>(controller, "CXCurrentSettingsType") == 4, "an other screen");
      host::SettingsScreenView view = host::readSettingsScreen(controller);
      c.expect(view.sections.size() == (provider ? 1u : 0u), "the host's sections only");
      app.rootNavigationController()->popViewControllerAnimated(false);
    }
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

TEST(HostSettings, WithoutANavigationControllerTheEntryOpensNothing) {
  SKIP_WITHOUT_MODULE();
  for (const char* version : {"9.30.0", "16.51.0"}) {
    auto body = [version](ChildChecks& c) {
      host::HostApplication& app = bootWith(c, version, "");
      const auto& names = host::settingsClassNames(host::runningSettingsLayout().current);
      StrongId provider = objc_msgSend<StrongId>(objc_getClass(names.rootProvider), "new");
      StrongId made = objc_msgSend<StrongId>(objc_getClass(names.controller), "newMenuViewControllerWithProvider:", provider);
      auto* root = objc_cast<UIViewController>(made.get());
      root->view()->layoutIfNeeded();
      size_t n = make<host::AppSettingsRootProvider>()->sections().size();
      size_t stack = app.rootNavigationController()->childList().size();
      c.expect(host::tapSettingsRow(app, root, static_cast<NSInteger>(n), 0), "the entry row is there");
      c.expect(app.rootNavigationController()->childList().size() == stack && !root->presentedViewController(),
               "nothing is shown");
    };
    HOST_EXPECT_IN_FRESH_PROCESS(body);
  }
}

TEST(HostSettings, ModuleScreenTapsStayWithTheModuleAndEachConfigurationGetsANewSwitch) {
  SKIP_WITHOUT_MODULE();
  auto body = [](ChildChecks& c) {
    host::HostApplication& app = bootWith(c, "16.51.0", "");
    Ref<UIViewController> root = host::openSettings(app);
    size_t n = make<host::AppSettingsRootProvider>()->sections().size();
    Ref<UIViewController> module = openModuleScreen(c, app, root, static_cast<NSInteger>(n));
    UITableView* table = host::settingsTableOf(module);
    Ref<NSIndexPath> meter = NSIndexPath::indexPathForRow_inSection(1, 1);
    c.expect(host::tapSettingsRow(app, module, 1, 1), "a module row is tapped");
    c.expect(table->indexPathForSelectedRow() && app.rootNavigationController()->topViewController() == module.get(),
             "the host's handler, which deselects and opens, is not reached");
    c.expect(!table->cellForRowAtIndexPath(meter)->backgroundColor(),
             "the host's will-display, which colours its rows, is not called on the module screen");
    c.expect(host::settingsTableOf(root)->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(0, 0))->backgroundColor(),
             "it is on the root's host rows");
    auto barText = [](UIViewController* screen) {
      UILabel* bar = objc_cast<host::AppSettingsViewController>(screen)->barTitleLabel();
      return bar && bar->text() ? utf8(bar->text()) : std::string();
    };
    c.expect(barText(root) == "App Settings" && barText(module) == "ScoreLens",
             "each screen's navigation bar shows its title, the one the module sets too");
    Ref<UISwitch> before(objc_cast<UISwitch>(table->cellForRowAtIndexPath(meter)->accessoryView()));
    Weak<UISwitch> watch(before);
    before.reset();
    table->reloadData();
    auto* after = objc_cast<UISwitch>(table->cellForRowAtIndexPath(meter)->accessoryView());
    c.expect(after && !watch.lock(), "a new switch; the earlier one is gone with the accessory it was");
    c.expect(host::tapSettingsRow(app, root, 0, 0), "a host row of the root");
    c.expect(!host::settingsTableOf(root)->indexPathForSelectedRow(), "reaches the host's handler, which deselects");
  };
  HOST_EXPECT_IN_FRESH_PROCESS(body);
}

}  // namespace
