// The simple settings screen (15.1.0) and the app's menu list it shows.

#include <fmt/format.h>

#include "host/settings/settings_classes.h"
#include "host/settings/settings_parts.h"

namespace host {

std::string settingsBuildNumber(const std::string& version) {
  unsigned long sum = 0;
  for (char c : version) sum = sum * 31 + static_cast<unsigned char>(c);
  return std::to_string(1000 + sum % 9000);
}

// --- the simple settings screen -------------------------------------------------------------------

SimpleSettingsView::SimpleSettingsView() : menuStackView_(make<UIStackView>()) {
  menuStackView_->setAxis(UILayoutConstraintAxisVertical);
  addSubview(menuStackView_);
}

void SimpleSettingsViewController::loadView() {
  Ref<SimpleSettingsView> view = make<SimpleSettingsView>();
  view->setFrame(UIScreen::mainScreen()->bounds());
  view->menuStackView()->setFrame(view->bounds());
  setView(view);
}

void SimpleSettingsViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  setTitle(settingsText("App Settings"));
  auto* view = objc_cast<SimpleSettingsView>(viewIfLoaded());
  if (!view) return;
  for (const Ref<NSDictionary>& item : appMenuItems(makeAppMenuViewModel().get())) {
    auto* name = objc_cast<NSString>(item->objectForKey("name"_ns));
    auto* height = objc_cast<NSString>(item->objectForKey("height"_ns));
    Ref<UIView> row = make<UIView>(CGRect{{0, 0}, {0, height ? height->doubleValue() : 44.0}});
    Ref<UILabel> label = make<UILabel>();
    label->setText(name);
    row->addSubview(label);
    view->menuStackView()->addArrangedSubview(row);
  }
  const std::string& version = runningSettingsLayout().version;
  Ref<UIView> footer = make<UIView>(CGRect{{0, 0}, {0, 44}});
  Ref<UILabel> label = make<UILabel>();
  label->setText(settingsText(fmt::format("Netflix {} ({})", version, settingsBuildNumber(version))));
  footer->addSubview(label);
  view->menuStackView()->addArrangedSubview(footer);
}

// --- the menu list ---------------------------------------------------------------------------------

StrongId MenuListViewModel::initWithDictionary(NSDictionary* dictionary) {
  dictionary_ = dictionary;
  return StrongId(this);
}

Ref<NSDictionary> appMenuDictionary(const SettingsLayout& layout) {
  auto item = [&](const std::string& menuName, const std::string& name) {
    Ref<NSMutableDictionary> d = NSMutableDictionary::dictionary();
    d->setObject_forKey(settingsText(menuName), "menuName"_ns);
    d->setObject_forKey(settingsText(name), "name"_ns);
    // Before the redesign every entry has a fixed height; after it they size themselves.
    if (layout.upperCaseHeaders) d->setObject_forKey("30.0"_ns, "height"_ns);
    return StrongId(d->copyDictionary());
  };
  auto section = [](const char* menuName, std::initializer_list<StrongId> items) {
    return StrongId(NSDictionary::dictionaryWithObjectsAndKeys(
        {{"menuName"_ns, settingsText(menuName)}, {"items"_ns, NSArray::arrayWithObjects(items)}}));
  };
  return NSDictionary::dictionaryWithObjectsAndKeys(
      {{"sections"_ns,
        NSArray::arrayWithObjects(
            {section("account", {item("email", "member@example.com"), item("plan", "Standard")}),
             section("app", {item("appVersion", "Version " + layout.version),
                             item("buildVersion", fmt::format("Build {} ({})", layout.version, settingsBuildNumber(layout.version))),
                             item("deviceId", "ESN NFAPPL-02-IPHONE9=1-PXA-02")})})}});
}

Ref<MenuListViewModel> makeAppMenuViewModel() {
  StrongId made = objc_msgSend<StrongId>(objc::classOf<MenuListViewModel>(), "alloc");
  StrongId model = objc_msgSend<StrongId>(made, "initWithDictionary:", appMenuDictionary(runningSettingsLayout()));
  return Ref<MenuListViewModel>(objc_cast<MenuListViewModel>(model.get()));
}

std::vector<Ref<NSDictionary>> appMenuItems(const MenuListViewModel* model) {
  std::vector<Ref<NSDictionary>> items;
  Ref<NSDictionary> menu = model ? model->dictionary() : nullptr;
  auto* sections = menu ? objc_cast<NSArray>(menu->objectForKey("sections"_ns)) : nullptr;
  if (!sections) return items;
  for (const StrongId& s : *sections) {
    auto* section = objc_cast<NSDictionary>(s.get());
    auto* name = section ? objc_cast<NSString>(section->objectForKey("menuName"_ns)) : nullptr;
    if (!name || !name->isEqualToString("app"_ns)) continue;
    if (auto* list = objc_cast<NSArray>(section->objectForKey("items"_ns)))
      for (const StrongId& i : *list)
        if (auto* d = objc_cast<NSDictionary>(i.get())) items.emplace_back(d);
    break;
  }
  return items;
}

}  // namespace host
