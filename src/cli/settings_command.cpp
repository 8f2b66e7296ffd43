// scorelens settings: boots the simulated host with the module loaded, opens
// the host's settings and prints the root screen; with --open module or
// --set, selects the "ScoreLens" row as a finger would, prints the module
// screen, flips the named switches through the switches themselves and
// prints the four stored preferences. Also the host's "app" menu entries
// and, where the host has it, the simple settings screen's version label.

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/install_layout.h"
#include "cli/picture_output.h"
#include "host/HostApplication.h"
#include "host/settings/settings_screen.h"
#include "platform/foundation/NSUserDefaults.h"

namespace cli {
namespace {

struct SettingsOptions {
  std::string hostVersion = "16.51.0";
  std::string device = "iphone";
  std::string defaultsFile;
  std::string open;
  std::vector<std::string> sets;
  bool json = false;
  PictureOptions picture;
};

// Each switch of the module screen: its option name, where it is, its key.
struct SwitchPlace {
  const char* name;
  NSInteger section, row;
  const char* key;
};
// Points between the root screen and the module screen in a picture.
constexpr int kPictureGap = 16;

constexpr SwitchPlace kSwitches[] = {
    {"critic-percentage", 1, 0, "CXCriticRatingPercentageEnabled"},
    {"critic-meter", 1, 1, "CXCriticRatingMeterEnabled"},
    {"audience-percentage", 2, 0, "CXAudienceRatingPercentageEnabled"},
    {"audience-meter", 2, 1, "CXAudienceRatingMeterEnabled"},
};

std::string hexColour(const UIColor* colour) {
  auto c = [](CGFloat v) { return static_cast<int>(std::lround(std::clamp<CGFloat>(v, 0, 1) * 255)); };
  std::string hex = fmt::format("#{:02X}{:02X}{:02X}", c(colour->red()), c(colour->green()), c(colour->blue()));
  return colour->alpha() < 1 ? hex + fmt::format("{:02X}", c(colour->alpha())) : hex;
}

nlohmann::json orNull(const std::optional<std::string>& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); }

nlohmann::json sectionsJson(const host::SettingsScreenView& screen) {
  nlohmann::json sections = nlohmann::json::array();
  for (const host::SettingsSectionView& s : screen.sections) {
    nlohmann::json header = nullptr;
    if (s.header) {
      nlohmann::json height = s.header->height == UITableViewAutomaticDimension ? nlohmann::json("automatic")
                                                                                : nlohmann::json(s.header->height);
      header = {{"title", s.header->title}, {"subtitle", s.header->subtitle}, {"height", height}};
    }
    nlohmann::json rows = nlohmann::json::array();
    for (const host::SettingsRowView& r : s.rows) {
      nlohmann::json toggle = nullptr;
      if (r.switchOn)
        toggle = {{"on", *r.switchOn}, {"onTint", r.onTint ? nlohmann::json(hexColour(r.onTint)) : nlohmann::json(nullptr)}};
      rows.push_back({{"title", r.title},
                      {"titleHidden", r.titleHidden},
                      {"subtitle", r.subtitle},
                      {"subtitleHidden", r.subtitleHidden},
                      {"icon", orNull(r.icon)},
                      {"iconTemplate", r.iconTemplate},
                      {"accessory", orNull(r.accessory)},
                      {"switch", toggle},
                      {"titleTopMargin", r.titleTopMargin ? nlohmann::json(*r.titleTopMargin) : nlohmann::json(nullptr)}});
    }
    sections.push_back({{"header", header}, {"rows", rows}});
  }
  return sections;
}

void printScreen(const std::string& heading, const host::SettingsScreenView& screen, std::ostream& out) {
  out << fmt::format("{} \"{}\"\n", heading, screen.title);
  for (size_t i = 0; i < screen.sections.size(); ++i) {
    const host::SettingsSectionView& s = screen.sections[i];
    std::string header = "(no header)";
    if (s.header) {
      std::string text = s.header->title.empty() ? s.header->subtitle
                         : s.header->subtitle.empty() ? s.header->title
                                                      : s.header->title + " / " + s.header->subtitle;
      header = fmt::format("{}  [height {}]", text.empty() ? "(blank header)" : text,
                           s.header->height == UITableViewAutomaticDimension ? std::string("automatic")
                                                                             : fmt::format("{:g}", s.header->height));
    }
    out << fmt::format("  section {}: {}\n", i, header);
    for (const host::SettingsRowView& r : s.rows) {
      std::string line = r.titleHidden ? "" : r.title;
      if (!r.subtitleHidden && !r.subtitle.empty()) line += (line.empty() ? "" : " — ") + r.subtitle;
      std::string extras;
      if (r.icon) extras += fmt::format(" icon={}{}", *r.icon, r.iconTemplate ? "(template)" : "");
      if (r.accessory) extras += " " + *r.accessory;
      if (r.switchOn) extras += *r.switchOn ? "[on]" : "[off]";
      if (r.titleTopMargin) extras += fmt::format(" titleTopMargin={:g}", *r.titleTopMargin);
      out << fmt::format("    - {}{}\n", line.empty() ? "(untitled)" : line, extras);
    }
  }
}

// The root screen's "ScoreLens" row.
std::optional<std::pair<NSInteger, NSInteger>> entryRow(const host::SettingsScreenView& root) {
  for (size_t s = 0; s < root.sections.size(); ++s)
    for (size_t r = 0; r < root.sections[s].rows.size(); ++r)
      if (root.sections[s].rows[r].title == "ScoreLens" && !root.sections[s].rows[r].titleHidden)
        return std::make_pair(static_cast<NSInteger>(s), static_cast<NSInteger>(r));
  return std::nullopt;
}

int runSettings(const SettingsOptions& o) {
  std::map<std::string, bool> wanted;
  for (const std::string& set : o.sets) {
    auto eq = set.find('=');
    std::string name = set.substr(0, eq), value = eq == std::string::npos ? "" : set.substr(eq + 1);
    bool known = std::any_of(std::begin(kSwitches), std::end(kSwitches), [&](const SwitchPlace& p) { return name == p.name; });
    if (!known || (value != "on" && value != "off"))
      return fail("settings", kBadUsage,
                  fmt::format("--set {}: expected NAME=on|off, NAME one of critic-percentage, critic-meter, "
                              "audience-percentage, audience-meter", set));
    wanted[name] = value == "on";
  }
  auto device = host::parseDevice(o.device);
  if (!device) return fail("settings", kBadUsage, device.error().message);
  // Without --defaults the preferences live in a scratch file, never the user's.
  DefaultsFile defaults(o.defaultsFile, "settings");
  const std::string& defaultsPath = defaults.path();
  // A file the store cannot read would be replaced by the first switch flipped: refuse, keep it whole.
  if (std::string unusable = defaults.open(); !unusable.empty()) {
    if (!wanted.empty()) return fail("settings", kFileError, unusable + "; nothing was changed");
    warn("settings", unusable + "; showing the defaults");
  }
  host::HostConfig config = hostConfig(o.hostVersion, device.value(), "", defaultsPath);
  auto booted = host::HostApplication::boot(config);
  if (!booted) return fail("settings", kBadUsage, booted.error().message);
  host::HostApplication& app = *booted.value();
  bool current = host::runningSettingsLayout().current;

  Ref<UIViewController> root = host::openSettings(app);
  host::SettingsScreenView rootView = host::readSettingsScreen(root);
  // The root screen as the user saw it before opening anything.
  uikit::render::Picture picture;
  if (o.picture.wanted()) picture = pictureOf(root->view(), o.picture, UIColor::blackColor());
  std::optional<host::SettingsScreenView> moduleView;
  if (o.open == "module" || !wanted.empty()) {
    auto entry = entryRow(rootView);
    UINavigationController* navigation = app.rootNavigationController();
    if (!entry || !host::tapSettingsRow(app, root, entry->first, entry->second) || navigation->topViewController() == root.get())
      return fail("settings", kLookupFailed, "the host's settings show no \"ScoreLens\" row to open");
    app.runUntil([] { return !UIView::hasRunningAnimations(); }, std::chrono::seconds(2));
    Ref<UIViewController> module(navigation->topViewController());
    for (const SwitchPlace& place : kSwitches) {
      auto it = wanted.find(place.name);
      if (it == wanted.end()) continue;
      UITableView* table = host::settingsTableOf(module);
      Ref<UITableViewCell> cell =
          table ? table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(place.row, place.section)) : nullptr;
      auto* toggle = cell ? objc_cast<UISwitch>(cell->accessoryView()) : nullptr;
      if (!toggle) return fail("settings", kLookupFailed, fmt::format("the module screen shows no {} switch", place.name));
      if (toggle->isOn() != it->second) host::flipSettingsSwitch(module, place.section, place.row);
    }
    // The switch saved at once; the old file stays whole when that failed.
    if (std::string why = NSUserDefaults::standardUserDefaults()->lastSaveError(); !why.empty())
      return fail("settings", kFileError, fmt::format("cannot save {}: {}", defaultsPath, why));
    moduleView = host::readSettingsScreen(module);
    if (o.picture.wanted()) picture = picture.beside(pictureOf(module->view(), o.picture, UIColor::blackColor()), kPictureGap * o.picture.scale);
  }
  std::string error;
  if (o.picture.wanted() && !savePicture(picture, o.picture, &error)) return fail("settings", kFileError, error);
  std::vector<Ref<NSDictionary>> menu = host::currentAppMenuEntries();
  std::optional<std::string> label = host::simpleSettingsVersionLabel(app);
  auto pref = [](const char* key) {
    return NSUserDefaults::standardUserDefaults()->boolForKey(NSString::stringWithUTF8String(key));
  };
  auto field = [](const NSDictionary* item, const char* key) -> nlohmann::json {
    auto* v = objc_cast<NSString>(item->objectForKey(NSString::stringWithUTF8String(key)));
    return v ? nlohmann::json(v->UTF8String()) : nlohmann::json(nullptr);
  };

  if (o.json) {
    nlohmann::json menuJson = nlohmann::json::array();
    for (const auto& item : menu)
      menuJson.push_back({{"menuName", field(item, "menuName")}, {"name", field(item, "name")}, {"height", field(item, "height")}});
    nlohmann::json module = nullptr;
    if (moduleView) module = {{"title", moduleView->title}, {"sections", sectionsJson(*moduleView)}};
    nlohmann::json j = {
        {"host", {{"version", o.hostVersion}, {"device", host::deviceName(app.device())}}},
        {"generation", current ? "current" : "legacy"},
        {"root", {{"sections", sectionsJson(rootView)}}},
        {"module", module},
        {"menu", menuJson},
        {"versionLabel", orNull(label)},
        {"preferences",
         {{"criticRatingPercentageEnabled", pref("CXCriticRatingPercentageEnabled")},
          {"criticRatingMeterEnabled", pref("CXCriticRatingMeterEnabled")},
          {"audienceRatingPercentageEnabled", pref("CXAudienceRatingPercentageEnabled")},
          {"audienceRatingMeterEnabled", pref("CXAudienceRatingMeterEnabled")}}}};
    notePicture(j, o.picture);
    std::cout << j.dump(2) << "\n";
  } else {
    std::cout << fmt::format("Host {} on an {}, ScoreLens loaded; {} settings\n\n", o.hostVersion,
                             host::deviceName(app.device()), current ? "current" : "legacy");
    printScreen("Root screen", rootView, std::cout);
    if (moduleView) {
      std::cout << "\n";
      printScreen("Module screen", *moduleView, std::cout);
    }
    std::cout << "\nMenu entries of the \"app\" section:\n";
    for (const auto& item : menu)
      std::cout << fmt::format("  {:<14} {}{}\n", field(item, "menuName").dump(), field(item, "name").dump(),
                               item->objectForKey("height"_ns) ? "  height " + field(item, "height").dump() : "");
    if (label) std::cout << fmt::format("\nSimple settings label: {}\n", *label);
    std::cout << "\nPreferences:\n";
    for (const SwitchPlace& place : kSwitches)
      std::cout << fmt::format("  {:<20} {}\n", place.name, pref(place.key) ? "on" : "off");
    if (o.picture.wanted()) std::cout << fmt::format("\nPicture: {} (scale {})\n", o.picture.png, o.picture.scale);
  }
  return 0;
}

}  // namespace

void addSettingsCommand(CLI::App& app, Runner& run) {
  auto o = std::make_shared<SettingsOptions>();
  auto* cmd = app.add_subcommand("settings", "Open the host's settings in the simulated host with ScoreLens loaded");
  cmd->add_option("--host-version", o->hostVersion, "Host version")->check(hostVersionCheck())->capture_default_str();
  cmd->add_option("--device", o->device, "iphone or ipad")
      ->check(CLI::IsMember({"iphone", "ipad"}, CLI::ignore_case))
      ->capture_default_str();
  cmd->add_option("--defaults", o->defaultsFile, "The preference file a device would keep (default: a scratch file)");
  cmd->add_option("--open", o->open, "Open a screen from the root: module")->check(CLI::IsMember({"module"}));
  cmd->add_option("--set", o->sets, "Flip a switch to a state: NAME=on|off (implies --open module)");
  cmd->add_flag("--json", o->json, "Print one JSON object");
  addPictureOptions(cmd, o->picture);
  cmd->callback([&run, o] { run = [o] { return runSettings(*o); }; });
}

}  // namespace cli
