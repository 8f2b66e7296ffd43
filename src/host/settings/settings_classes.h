#pragma once
// The app's settings screens, both generations.
//
// Before 15.1.0 the app shows its settings with the Objective-C classes
// AppSettingsViewController (a table controller that asks its provider for
// "provider"), AppSettingsProvider and its subclasses, the row cell
// AppSettingsDefaultItemCell (with the constraint "titleTopMargin") and the
// section header AppSettingsItemGroupView. From 15.1.0 it uses their Swift
// successors, Argo.AppSettingsViewController_Swift (whose provider is the
// instance variable "provider"), Argo.AppSettingsRootProvider_Swift and the
// other Argo.*_Swift providers, Argo.AppSettingsDefaultItemCell_Swift and
// Argo.AppSettingsItemGroupView_Swift, plus the simple settings screen
// Argo.SimpleSettingsViewController. The C++ classes below are the same in
// both; settingsClassNames() says which run-time names a version registers.
//
// What the rows look like follows the app's own layout history
// (settingsLayoutFor): upper-case section headers and a plain disclosure
// indicator until the redesign of 12.5.0, row icons and an image chevron
// from then, the new white chevron from 14.23.0; before 10.0.0 a row
// without a subtitle drops its title lower (titleTopMargin 17).
//
// The app's menu list (MenuListViewModel, built with "initWithDictionary:")
// carries the app's version, build and device entries in its "app" section;
// the legacy About screen and the simple settings screen show it.
//
// Every table callback goes through the run time (the table sends them), so
// a replaced method takes effect. Main thread only.

#include <string>
#include <vector>

#include "host/version.h"
#include "platform/uikit/UIKit.h"

namespace host {

// --- the app's settings layout, per version -------------------------------------------------

struct SettingsLayout {
  bool current = false;           // the Swift classes (15.1.0)
  bool lowTitleWithoutSubtitle = false;  // before 10.0.0
  bool upperCaseHeaders = false;  // before the redesign of 12.5.0
  bool rowIcons = false;          // from 12.5.0
  bool newChevron = false;        // from 14.23.0
  bool notificationsSection = false;  // from 12.5.0
  bool privacySection = false;        // from 15.1.0
  std::string version;            // the app's version text
};
SettingsLayout settingsLayoutFor(const HostVersion& version);
// The layout of the running app (registerSettingsClasses has run).
const SettingsLayout& runningSettingsLayout();

// Registers the settings classes of version under their run-time names,
// appending the names to `names`. Called once, from registerHostClasses.
void registerSettingsClasses(const HostVersion& version, std::vector<std::string>& names);

// The run-time names of one generation.
struct SettingsClassNames {
  const char* controller;
  const char* provider;
  const char* rootProvider;
  const char* cell;
  const char* groupView;
  const char* cellIdentifier;
  const char* groupIdentifier;
};
const SettingsClassNames& settingsClassNames(bool current);

// --- what a provider describes ---------------------------------------------------------------

struct SettingsItem {
  enum class Kind { Info, Opens, Toggle };
  std::string title;
  std::string subtitle;
  std::string icon;         // an image of the app's bundle; "" for none
  Kind kind = Kind::Info;
  std::string opens;        // Opens: the screen ("account", "downloads", "playback", "about")
  std::string defaultsKey;  // Toggle: the user-defaults key the switch shows
};

struct SettingsSection {
  std::string header;  // "" for none
  std::vector<SettingsItem> items;
};

// "AppSettingsProvider" / "Argo.AppSettingsProvider_Swift": what one
// settings screen shows. The base describes nothing; subclasses describe
// their screens. Its "title" ("@@:") names the screen.
class AppSettingsProvider : public NSObject {
 public:
  virtual Ref<NSString> title() const;
  virtual std::vector<SettingsSection> sections() const { return {}; }
};
// The user-defaults key the account's plan sets when it has no downloads: the
// root then has no Downloads section.
inline constexpr const char* kDownloadsUnavailableKey = "NFDownloadsUnavailable";

// The top-level list: "AppSettingsRootProvider" / "Argo.AppSettingsRootProvider_Swift".
// Its sections follow the app's version and the account's state, read anew
// each time the table asks for them.
class AppSettingsRootProvider : public AppSettingsProvider {
 public:
  Ref<NSString> title() const override;
  std::vector<SettingsSection> sections() const override;
};
// The screens the root opens.
class AppSettingsAccountProvider : public AppSettingsProvider {
 public:
  Ref<NSString> title() const override;
  std::vector<SettingsSection> sections() const override;
};
class AppSettingsDownloadsProvider : public AppSettingsProvider {
 public:
  Ref<NSString> title() const override;
  std::vector<SettingsSection> sections() const override;
};
class AppSettingsPlaybackProvider : public AppSettingsProvider {
 public:
  Ref<NSString> title() const override;
  std::vector<SettingsSection> sections() const override;
};
// The legacy About screen: the "app" entries of the app's menu list.
class AppSettingsAboutProvider : public AppSettingsProvider {
 public:
  Ref<NSString> title() const override;
  std::vector<SettingsSection> sections() const override;
};

// --- the controller ----------------------------------------------------------------------------

// "AppSettingsViewController" / "Argo.AppSettingsViewController_Swift": a
// table of the provider's sections; selecting a row that opens a screen
// pushes a new controller of the same class with that screen's provider.
// Rows and headers the provider does not describe are answered blank, so
// the table never lacks a cell.
class AppSettingsViewController : public UIViewController {
 public:
  AppSettingsViewController() = default;

  // "+newMenuViewControllerWithProvider:" ("@@:@"): a new controller of the
  // receiving class showing provider (nil allowed: it shows nothing).
  static StrongId newMenuViewControllerWithProvider(id cls, SEL, id provider);

  // "provider" ("@@:"; on the Swift class the instance variable "provider").
  StrongId provider() const { return provider_; }
  void setProvider(id provider);

  // The screen: the navigation bar, showing the title, over a table with
  // this controller as data source and delegate.
  void loadView() override;
  void viewDidLoad() override;    // the title from the provider's "title"
  // "setTitle:" ("v@:@"): the title, shown in the bar at once.
  void setTitleShown(const NSString* title);
  void viewWillAppear(bool animated) override;  // deselects the row the user came back from

  NSInteger numberOfSectionsInTableView(UITableView* tableView);                                   // "q@:@"
  NSInteger tableView_numberOfRowsInSection(UITableView* tableView, NSInteger section);            // "q@:@q"
  void tableView_willDisplayCell_forRowAtIndexPath(UITableView* tableView, UITableViewCell* cell,
                                                   NSIndexPath* path);                              // "v@:@@@"
  StrongId tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path);             // "@@:@@"
  CGFloat tableView_heightForHeaderInSection(UITableView* tableView, NSInteger section);           // "d@:@q"
  StrongId tableView_viewForHeaderInSection(UITableView* tableView, NSInteger section);            // "@@:@q"
  void tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path);               // "v@:@@"
  // "settingsSwitchChanged:" ("v@:@"): a row's own switch writes its key.
  void settingsSwitchChanged(UISwitch* sender);

  // Loads the view when it has not loaded.
  UITableView* tableView() {
    view();
    return table_.get();
  }
  UITableView* tableViewIfLoaded() const { return table_.get(); }
  UILabel* barTitleLabel() const { return barTitle_.get(); }

  static constexpr CGFloat kBarHeight = 44;

 private:
  const SettingsItem* itemAt(NSInteger section, NSInteger row) const;

  Ref<UITableView> table_;
  Ref<UILabel> barTitle_;

  StrongId provider_;
  std::vector<SettingsSection> sections_;  // the provider's, as of the table's last section count
};

// "AppSettingsDefaultItemCell" / "Argo.AppSettingsDefaultItemCell_Swift": an
// icon, a title and a subtitle in the content view; the title hangs from
// the content view's top by the constraint "titleTopMargin", the subtitle
// (which wraps) sits under it, and the row is as tall as that column.
class AppSettingsDefaultItemCell : public UITableViewCell {
 public:
  AppSettingsDefaultItemCell();
  static constexpr CGFloat kTitleTopMargin = 11;

  Ref<UILabel> title() const { return title_; }
  Ref<UILabel> subtitle() const { return subtitle_; }
  Ref<UIImageView> icon() const { return icon_; }
  Ref<NSLayoutConstraint> titleTopMargin() const { return titleTopMargin_; }
  // Back to a blank row: no texts, no icon, inherited tint. The accessory
  // stays until the row is configured (each described row sets its own).
  void prepareForReuse() override;

 private:
  Ref<UILabel> title_, subtitle_;
  Ref<UIImageView> icon_;
  Ref<NSLayoutConstraint> titleTopMargin_;
};

// "AppSettingsItemGroupView" / "Argo.AppSettingsItemGroupView_Swift": a
// section header with a title and a subtitle (the section's name).
class AppSettingsItemGroupView : public UITableViewHeaderFooterView {
 public:
  AppSettingsItemGroupView();
  Ref<UILabel> title() const { return title_; }
  Ref<UILabel> subtitle() const { return subtitle_; }
  void prepareForReuse() override;

 private:
  Ref<UILabel> title_, subtitle_;
};

// --- the simple settings screen (15.1.0) -------------------------------------------------------

// "Argo.SimpleSettingsView": holds the instance variable "menuStackView", a
// vertical stack of one view per "app" menu entry and, last, the footer
// whose first subview is the label with the app's version.
class SimpleSettingsView : public UIView {
 public:
  SimpleSettingsView();
  Ref<UIStackView> menuStackView() const { return menuStackView_; }

 private:
  Ref<UIStackView> menuStackView_;
};

// "Argo.SimpleSettingsViewController": builds its menu list view model
// through the run time and fills the stack from it in viewDidLoad.
class SimpleSettingsViewController : public UIViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;
};

// --- the menu list ---------------------------------------------------------------------------

// "MenuListViewModel": built from a menu dictionary by "initWithDictionary:" ("@@:@").
class MenuListViewModel : public NSObject {
 public:
  StrongId initWithDictionary(NSDictionary* dictionary);
  // "dictionary" ("@@:"): what it was built from, as it received it.
  Ref<NSDictionary> dictionary() const { return dictionary_; }

 private:
  Ref<NSDictionary> dictionary_;
};

// The app's menu dictionary for its version: an "account" section and an
// "app" section with the "appVersion", "buildVersion" and "deviceId" items.
Ref<NSDictionary> appMenuDictionary(const SettingsLayout& layout);
// A menu list view model built the way the app builds one, through the run
// time (alloc, then "initWithDictionary:" with the app's menu dictionary).
Ref<MenuListViewModel> makeAppMenuViewModel();
// The items of the first "app" section of a view model's dictionary.
std::vector<Ref<NSDictionary>> appMenuItems(const MenuListViewModel* model);

}  // namespace host
