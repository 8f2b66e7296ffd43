#include "host/settings/settings_screen.h"

namespace host {

namespace {
std::string text(const UILabel* label) {
  NSString* t = label ? label->text() : nullptr;
  return t ? t->UTF8String() : "";
}

std::optional<std::string> accessoryOf(const UITableViewCell* cell) {
  UIView* view = cell->accessoryView();
  if (objc_cast<UISwitch>(view)) return "switch";
  if (auto* image = objc_cast<UIImageView>(view)) {
    NSString* name = image->image() ? image->image()->name() : nullptr;
    std::string n = name ? name->UTF8String() : "";
    if (n.starts_with("new_chevron")) return "chevron-new";
    if (n.find("chevron") != std::string::npos) return "chevron-old";
  }
  if (view) return "view";
  if (cell->accessoryType() == UITableViewCellAccessoryDisclosureIndicator) return "disclosure";
  return std::nullopt;
}

SettingsRowView readRow(UITableViewCell* cell) {
  SettingsRowView row;
  row.cell = cell;
  row.accessory = accessoryOf(cell);
  if (auto* toggle = objc_cast<UISwitch>(cell->accessoryView())) {
    row.switchOn = toggle->isOn();
    row.onTint = toggle->onTintColor();
  }
  auto* item = objc_cast<AppSettingsDefaultItemCell>(cell);
  if (!item) return row;
  row.title = text(item->title());
  row.titleHidden = item->title()->isHidden();
  row.subtitle = text(item->subtitle());
  row.subtitleHidden = item->subtitle()->isHidden();
  if (UIImage* image = item->icon()->image(); image && !item->icon()->isHidden()) {
    row.icon = image->name() ? image->name()->UTF8String() : std::string();
    row.iconTemplate = image->renderingMode() == UIImageRenderingModeAlwaysTemplate;
  }
  if (class_respondsToSelector(object_getClass(cell), sel_registerName("titleTopMargin")))
    row.titleTopMargin = item->titleTopMargin()->constant();
  return row;
}
}  // namespace

Ref<UIViewController> openSettings(HostApplication& app) {
  const SettingsClassNames& names = settingsClassNames(runningSettingsLayout().current);
  StrongId provider = objc_msgSend<StrongId>(objc_getClass(names.rootProvider), "new");
  StrongId made = objc_msgSend<StrongId>(objc_getClass(names.controller), "newMenuViewControllerWithProvider:", provider);
  Ref<UIViewController> controller(objc_cast<UIViewController>(made.get()));
  app.rootNavigationController()->pushViewController_animated(controller, false);
  app.layoutIfNeeded();
  return controller;
}

UITableView* settingsTableOf(UIViewController* controller) {
  auto* settings = objc_cast<AppSettingsViewController>(controller);
  return settings ? settings->tableViewIfLoaded() : nullptr;
}

SettingsScreenView readSettingsScreen(UIViewController* controller) {
  SettingsScreenView screen;
  if (!controller) return screen;
  if (NSString* title = controller->title()) screen.title = title->UTF8String();
  UITableView* table = settingsTableOf(controller);
  if (!table) return screen;
  for (NSInteger s = 0; s < table->numberOfSections(); ++s) {
    SettingsSectionView section;
    if (Ref<UIView> header = table->headerViewForSection(s)) {
      SettingsHeaderView h;
      if (auto* group = objc_cast<AppSettingsItemGroupView>(header.get())) {
        h.title = text(group->title());
        h.subtitle = text(group->subtitle());
      }
      h.height = table->answeredHeaderHeightForSection(s);
      section.header = h;
    }
    for (NSInteger r = 0; r < table->numberOfRowsInSection(s); ++r)
      if (Ref<UITableViewCell> cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(r, s)))
        section.rows.push_back(readRow(cell));
    screen.sections.push_back(std::move(section));
  }
  return screen;
}

bool tapSettingsRow(HostApplication& app, UIViewController* controller, NSInteger section, NSInteger row) {
  UITableView* table = settingsTableOf(controller);
  if (!table || !table->simulateTapOnRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(row, section))) return false;
  app.layoutIfNeeded();
  return true;
}

bool flipSettingsSwitch(UIViewController* controller, NSInteger section, NSInteger row) {
  UITableView* table = settingsTableOf(controller);
  Ref<UITableViewCell> cell = table ? table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow_inSection(row, section))
                                    : nullptr;
  auto* toggle = cell ? objc_cast<UISwitch>(cell->accessoryView()) : nullptr;
  return toggle && toggle->simulateTap();
}

std::vector<Ref<NSDictionary>> currentAppMenuEntries() { return appMenuItems(makeAppMenuViewModel().get()); }

std::optional<std::string> simpleSettingsVersionLabel(HostApplication& app) {
  if (!runningSettingsLayout().current) return std::nullopt;
  Ref<SimpleSettingsViewController> simple = make<SimpleSettingsViewController>();
  UINavigationController* navigation = app.rootNavigationController();
  navigation->pushViewController_animated(simple, false);
  app.layoutIfNeeded();
  std::optional<std::string> label;
  if (auto* view = objc_cast<SimpleSettingsView>(simple->viewIfLoaded())) {
    Ref<NSArray> arranged = view->menuStackView()->arrangedSubviews();
    auto* footer = arranged->count() ? objc_cast<UIView>(arranged->lastObject()) : nullptr;
    if (footer && !footer->subviewList().empty()) label = text(objc_cast<UILabel>(footer->subviewList().front().get()));
  }
  navigation->popViewControllerAnimated(false);
  app.layoutIfNeeded();
  return label;
}

}  // namespace host
