#pragma once
// Opening the app's settings and reading a settings screen as the user sees
// it, for the CLI and the tests. The reading sends nothing through the run
// time beyond what the table already asked: it looks at the shown cells and
// header views. Main thread only.

#include <optional>
#include <string>
#include <vector>

#include "host/HostApplication.h"
#include "host/settings/settings_classes.h"

namespace host {

struct SettingsRowView {
  std::string title;
  bool titleHidden = false;
  std::string subtitle;
  bool subtitleHidden = false;
  std::optional<std::string> icon;  // the image's name, when an image is shown
  bool iconTemplate = false;
  // "chevron-new", "chevron-old", "switch", "disclosure", or nothing.
  std::optional<std::string> accessory;
  std::optional<bool> switchOn;
  Ref<UIColor> onTint;              // the switch's on-colour, nil for the default
  std::optional<double> titleTopMargin;  // cells that have the constraint
  Ref<UITableViewCell> cell;
};

struct SettingsHeaderView {
  std::string title, subtitle;
  // As the delegate answered; UITableViewAutomaticDimension for automatic.
  CGFloat height = 0;
};

struct SettingsSectionView {
  std::optional<SettingsHeaderView> header;  // nothing when the section shows no header view
  std::vector<SettingsRowView> rows;
};

struct SettingsScreenView {
  std::string title;
  std::vector<SettingsSectionView> sections;
};

// Pushes the root settings screen of the running app (its generation's
// controller with the root provider, made with
// "+newMenuViewControllerWithProvider:" as the app's menu does) and lays it
// out. Answers the controller.
Ref<UIViewController> openSettings(HostApplication& app);

// The table of a settings controller, or nil.
UITableView* settingsTableOf(UIViewController* controller);
// What a settings screen shows now.
SettingsScreenView readSettingsScreen(UIViewController* controller);

// A finger's tap on a row of the screen, then a layout pass so that a
// pushed screen is loaded. False when the row is not shown.
bool tapSettingsRow(HostApplication& app, UIViewController* controller, NSInteger section, NSInteger row);
// A finger's flip of the row's switch (its accessory view). False when the
// row has no switch.
bool flipSettingsSwitch(UIViewController* controller, NSInteger section, NSInteger row);

// The "app" menu entries the app builds now (see makeAppMenuViewModel).
std::vector<Ref<NSDictionary>> currentAppMenuEntries();
// The label of the simple settings screen the app shows (15.1.0 and
// later): the footer's first subview. Pushes the screen and pops it again.
std::optional<std::string> simpleSettingsVersionLabel(HostApplication& app);

}  // namespace host
