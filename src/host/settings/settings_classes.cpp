#include "host/settings/settings_classes.h"
#include "host/settings/settings_parts.h"

#include <fmt/format.h>

#include <optional>

#include "host/misuse.h"
#include "platform/foundation/NSUserDefaults.h"

namespace host {

namespace {

std::optional<SettingsLayout>& layoutSlot() {
  static auto* slot = new std::optional<SettingsLayout>;
  return *slot;
}

Class settingsMetaclassOf(Class cls) { return object_getClass(class_asObject(cls)); }

void addSettingsFunction(Class cls, const char* name, IMP imp) {
  class_addMethod(cls, sel_registerName(name), imp, std::string(imp.types()).c_str());
}

}  // namespace

// --- layout ----------------------------------------------------------------------------------

SettingsLayout settingsLayoutFor(const HostVersion& version) {
  SettingsLayout layout;
  layout.current = version.isAtLeast("15.1.0");
  layout.lowTitleWithoutSubtitle = version.isBelow("10.0.0");
  layout.upperCaseHeaders = version.isBelow("12.5.0");
  layout.rowIcons = !layout.upperCaseHeaders;
  layout.notificationsSection = layout.rowIcons;
  layout.newChevron = version.isAtLeast("14.23.0");
  layout.privacySection = layout.current;
  layout.version = version.text();
  return layout;
}

const SettingsLayout& runningSettingsLayout() {
  if (!layoutSlot()) misuse("the settings classes are not registered yet");
  return *layoutSlot();
}

const SettingsClassNames& settingsClassNames(bool current) {
  static const SettingsClassNames legacy{"AppSettingsViewController", "AppSettingsProvider",
                                         "AppSettingsRootProvider",   "AppSettingsDefaultItemCell",
                                         "AppSettingsItemGroupView",  "AppSettingsDefaultItemCell",
                                         "AppSettingsItemGroupView"};
  static const SettingsClassNames swift{"Argo.AppSettingsViewController_Swift",
                                        "Argo.AppSettingsProvider_Swift",
                                        "Argo.AppSettingsRootProvider_Swift",
                                        "Argo.AppSettingsDefaultItemCell_Swift",
                                        "Argo.AppSettingsItemGroupView_Swift",
                                        "AppSettingsDefaultItemCell_Swift",
                                        "AppSettingsItemGroupView_Swift"};
  return current ? swift : legacy;
}

// --- providers -----------------------------------------------------------------------------------

Ref<NSString> AppSettingsProvider::title() const { return settingsText("Settings"); }

Ref<NSString> AppSettingsRootProvider::title() const { return settingsText("App Settings"); }

std::vector<SettingsSection> AppSettingsRootProvider::sections() const {
  const SettingsLayout& layout = runningSettingsLayout();
  using K = SettingsItem::Kind;
  std::vector<SettingsSection> sections{
      {"Account",
       {{"Account", "member@example.com", "settings_account", K::Opens, "account", ""},
        {"Profiles", "", "settings_account", K::Info, "", ""}}},
  };
  // Plans without downloads have no Downloads section.
  if (!NSUserDefaults::standardUserDefaults()->boolForKey(settingsText(kDownloadsUnavailableKey)))
    sections.push_back({"Downloads",
                        {{"Wi-Fi Only", "", "settings_downloads", K::Toggle, "", "NFDownloadsWiFiOnly"},
                         {"Download Location", "Internal Storage", "settings_downloads", K::Opens, "downloads", ""}}});
  sections.push_back({"Playback", {{"Cellular Data Usage", "Automatic", "settings_playback", K::Opens, "playback", ""}}});
  if (layout.notificationsSection)
    sections.push_back({"Notifications",
                        {{"Allow Notifications", "", "settings_notifications", K::Toggle, "", "NFNotificationsAllowed"}}});
  if (layout.privacySection)
    sections.push_back({"Privacy", {{"Privacy", "", "settings_privacy", K::Info, "", ""}}});
  sections.push_back({"About", {{"About", "", "settings_about", K::Opens, "about", ""}}});
  return sections;
}

Ref<NSString> AppSettingsAccountProvider::title() const { return settingsText("Account"); }
std::vector<SettingsSection> AppSettingsAccountProvider::sections() const {
  return {{"", {{"Email", "member@example.com", "", SettingsItem::Kind::Info, "", ""},
                {"Change Password", "", "", SettingsItem::Kind::Info, "", ""}}}};
}

Ref<NSString> AppSettingsDownloadsProvider::title() const { return settingsText("Download Location"); }
std::vector<SettingsSection> AppSettingsDownloadsProvider::sections() const {
  return {{"Storage", {{"Internal Storage", "12.3 GB free", "", SettingsItem::Kind::Info, "", ""}}}};
}

Ref<NSString> AppSettingsPlaybackProvider::title() const { return settingsText("Cellular Data Usage"); }
std::vector<SettingsSection> AppSettingsPlaybackProvider::sections() const {
  std::vector<SettingsItem> items;
  for (const char* choice : {"Automatic", "Wi-Fi Only", "Save Data", "Maximum Data"})
    items.push_back({choice, "", "", SettingsItem::Kind::Info, "", ""});
  return {{"", items}};
}

Ref<NSString> AppSettingsAboutProvider::title() const { return settingsText("About"); }
std::vector<SettingsSection> AppSettingsAboutProvider::sections() const {
  SettingsSection section{"App", {}};
  for (const Ref<NSDictionary>& item : appMenuItems(makeAppMenuViewModel().get())) {
    auto* name = objc_cast<NSString>(item->objectForKey("name"_ns));
    section.items.push_back({name ? name->UTF8String() : "", "", "", SettingsItem::Kind::Info, "", ""});
  }
  return {section};
}

// --- registration ------------------------------------------------------------------------------------

void registerSettingsClasses(const HostVersion& version, std::vector<std::string>& names) {
  if (layoutSlot()) misuse("the settings classes are registered once");
  layoutSlot() = settingsLayoutFor(version);
  const SettingsLayout& layout = *layoutSlot();
  const SettingsClassNames& n = settingsClassNames(layout.current);
  Class root = objc::classOf<NSObject>();
  auto named = [&](const char* name, Class cls) {
    names.emplace_back(name);
    return cls;
  };

  Class menuList = named("MenuListViewModel", objc::registerClass<MenuListViewModel>("MenuListViewModel", root));
  objc::addMethod<&MenuListViewModel::initWithDictionary>(menuList, "initWithDictionary:");
  objc::addMethod<&MenuListViewModel::dictionary>(menuList, "dictionary");

  Class settings =
      named(n.controller, objc::registerClass<AppSettingsViewController>(n.controller, objc::classOf<UIViewController>()));
  using C = AppSettingsViewController;
  objc::addMethod<&C::numberOfSectionsInTableView>(settings, "numberOfSectionsInTableView:");
  objc::addMethod<&C::tableView_numberOfRowsInSection>(settings, "tableView:numberOfRowsInSection:");
  objc::addMethod<&C::tableView_willDisplayCell_forRowAtIndexPath>(settings,
                                                                   "tableView:willDisplayCell:forRowAtIndexPath:");
  objc::addMethod<&C::tableView_cellForRowAtIndexPath>(settings, "tableView:cellForRowAtIndexPath:");
  objc::addMethod<&C::tableView_heightForHeaderInSection>(settings, "tableView:heightForHeaderInSection:");
  objc::addMethod<&C::tableView_viewForHeaderInSection>(settings, "tableView:viewForHeaderInSection:");
  objc::addMethod<&C::tableView_didSelectRowAtIndexPath>(settings, "tableView:didSelectRowAtIndexPath:");
  objc::addMethod<&C::settingsSwitchChanged>(settings, "settingsSwitchChanged:");
  objc::addMethod<&C::loadView>(settings, "loadView");
  objc::addMethod<&C::viewDidLoad>(settings, "viewDidLoad");
  objc::addMethod<&C::viewWillAppear>(settings, "viewWillAppear:");
  // The bar follows the title whoever sets it.
  objc::addMethod<&C::setTitleShown>(settings, "setTitle:");
  addSettingsFunction(settingsMetaclassOf(settings), "newMenuViewControllerWithProvider:", &C::newMenuViewControllerWithProvider);
  if (layout.current) {
    class_addIvar(
        settings, "provider", "@",
        [](id self) -> StrongId {
          auto* c = objc_cast<C>(self);
          return c ? c->provider() : nullptr;
        },
        [](id self, id value) {
          if (auto* c = objc_cast<C>(self)) c->setProvider(value);
        });
  } else {
    objc::addMethod<&C::provider>(settings, "provider");
  }

  Class provider = named(n.provider, objc::registerClass<AppSettingsProvider>(n.provider, root));
  objc::addMethod<&AppSettingsProvider::title>(provider, "title");
  named(n.rootProvider, objc::registerClass<AppSettingsRootProvider>(n.rootProvider, provider));
  // The screens the root opens, named in the generation's style.
  auto screen = [&]<class P>(const char* base) {
    std::string name = layout.current ? fmt::format("Argo.{}_Swift", base) : std::string(base);
    named(name.c_str(), objc::registerClass<P>(name.c_str(), provider));
  };
  screen.template operator()<AppSettingsAccountProvider>("AppSettingsAccountProvider");
  screen.template operator()<AppSettingsDownloadsProvider>("AppSettingsDownloadsProvider");
  screen.template operator()<AppSettingsPlaybackProvider>("AppSettingsPlaybackProvider");
  screen.template operator()<AppSettingsAboutProvider>("AppSettingsAboutProvider");

  Class cell = named(n.cell, objc::registerClass<AppSettingsDefaultItemCell>(n.cell, objc::classOf<UITableViewCell>()));
  objc::addMethod<&AppSettingsDefaultItemCell::title>(cell, "title");
  objc::addMethod<&AppSettingsDefaultItemCell::subtitle>(cell, "subtitle");
  objc::addMethod<&AppSettingsDefaultItemCell::icon>(cell, "icon");
  objc::addMethod<&AppSettingsDefaultItemCell::prepareForReuse>(cell, "prepareForReuse");
  if (!layout.current) objc::addMethod<&AppSettingsDefaultItemCell::titleTopMargin>(cell, "titleTopMargin");

  Class group = named(n.groupView, objc::registerClass<AppSettingsItemGroupView>(
                                       n.groupView, objc::classOf<UITableViewHeaderFooterView>()));
  objc::addMethod<&AppSettingsItemGroupView::title>(group, "title");
  objc::addMethod<&AppSettingsItemGroupView::subtitle>(group, "subtitle");
  objc::addMethod<&AppSettingsItemGroupView::prepareForReuse>(group, "prepareForReuse");

  if (layout.current) {
    Class simple = named("Argo.SimpleSettingsViewController",
                         objc::registerClass<SimpleSettingsViewController>("Argo.SimpleSettingsViewController",
                                                                           objc::classOf<UIViewController>()));
    objc::addMethod<&SimpleSettingsViewController::loadView>(simple, "loadView");
    objc::addMethod<&SimpleSettingsViewController::viewDidLoad>(simple, "viewDidLoad");
    Class simpleView = named("Argo.SimpleSettingsView",
                             objc::registerClass<SimpleSettingsView>("Argo.SimpleSettingsView", objc::classOf<UIView>()));
    class_addIvar(simpleView, "menuStackView", "@\"UIStackView\"", [](id self) -> StrongId {
      auto* v = objc_cast<SimpleSettingsView>(self);
      return v ? StrongId(v->menuStackView()) : nullptr;
    });
  }
}

}  // namespace host
