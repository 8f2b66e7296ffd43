// The older settings controller (also the Swift one's stand-in: the same
// class under the other generation's names), its rows and section headers,
// and the navigation bar it shows its title in.

#include <fmt/format.h>

#include "host/settings/settings_classes.h"
#include "host/settings/settings_parts.h"
#include "platform/foundation/NSUserDefaults.h"

namespace host {

namespace {

// The app's row tint and header colour.
Ref<UIColor> iconTint() { return UIColor::colorWithWhite_alpha(0.702, 1); }
Ref<UIColor> headerColor() { return UIColor::colorWithWhite_alpha(0.592, 1); }

Ref<UIImage> bundleImage(const std::string& name, bool asTemplate) {
  Ref<UIImage> image = UIImage::imageNamed(settingsText(name));
  return image && asTemplate ? image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate) : image;
}

}  // namespace

Ref<AppSettingsProvider> settingsProviderFor(const std::string& screen) {
  if (screen == "account") return make<AppSettingsAccountProvider>();
  if (screen == "downloads") return make<AppSettingsDownloadsProvider>();
  if (screen == "playback") return make<AppSettingsPlaybackProvider>();
  if (screen == "about") return make<AppSettingsAboutProvider>();
  return nullptr;
}

// --- the controller ---------------------------------------------------------------------------------

StrongId AppSettingsViewController::newMenuViewControllerWithProvider(id cls, SEL, id provider) {
  StrongId made = StrongId::adopt(class_createInstance(object_asClass(cls), 0));
  StrongId controller = objc_msgSend<StrongId>(made, "init");
  if (auto* settings = objc_cast<AppSettingsViewController>(controller.get())) settings->setProvider(provider);
  return controller;
}

void AppSettingsViewController::setProvider(id provider) { provider_ = provider; }

void AppSettingsViewController::loadView() {
  const CGRect screen = UIScreen::mainScreen()->bounds();
  Ref<UIView> root = make<UIView>(screen);
  root->setBackgroundColor(UIColor::blackColor());
  // The navigation bar: the screen's title, centred, over a dark band.
  Ref<UIView> bar = make<UIView>(CGRectMake(0, 0, screen.size.width, kBarHeight));
  bar->setAccessibilityIdentifier(settingsText("navigationBar"));
  bar->setBackgroundColor(UIColor::colorWithWhite_alpha(0.11, 1));
  barTitle_ = make<UILabel>(CGRectMake(16, 0, screen.size.width - 32, kBarHeight));
  barTitle_->setFont(UIFont::boldSystemFontOfSize(17));
  barTitle_->setTextColor(UIColor::whiteColor());
  barTitle_->setTextAlignment(NSTextAlignmentCenter);
  barTitle_->setText(title());
  bar->addSubview(barTitle_);
  root->addSubview(bar);
  // Under a navigation controller that shows its own bar (the app's home
  // screen leads here), that bar shows the title and the way back.
  Ref<UINavigationController> navigation = navigationController();
  const CGFloat top = navigation && !navigation->isNavigationBarHidden() ? 0 : kBarHeight;
  bar->setHidden(top == 0);

  table_ = make<UITableView>(CGRectMake(0, top, screen.size.width, screen.size.height - top));
  table_->setDataSource(this);
  table_->setDelegate(this);
  const SettingsClassNames& names = settingsClassNames(runningSettingsLayout().current);
  table_->registerClass_forCellReuseIdentifier(objc::classOf<AppSettingsDefaultItemCell>(), settingsText(names.cellIdentifier));
  table_->registerClass_forHeaderFooterViewReuseIdentifier(objc::classOf<AppSettingsItemGroupView>(),
                                                          settingsText(names.groupIdentifier));
  table_->setBackgroundColor(UIColor::blackColor());
  root->addSubview(table_);
  setView(root);
}

void AppSettingsViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  if (provider_) setTitleShown(objc_msgSend<Ref<NSString>>(provider_, "title"));
}

void AppSettingsViewController::setTitleShown(const NSString* title) {
  UIViewController::setTitle(title);
  if (barTitle_) barTitle_->setText(this->title());
}

void AppSettingsViewController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  UITableView* table = tableView();
  if (Ref<NSIndexPath> selected = table ? table->indexPathForSelectedRow() : nullptr)
    table->deselectRowAtIndexPath_animated(selected, animated);
}

const SettingsItem* AppSettingsViewController::itemAt(NSInteger section, NSInteger row) const {
  if (section < 0 || static_cast<size_t>(section) >= sections_.size()) return nullptr;
  const auto& items = sections_[static_cast<size_t>(section)].items;
  if (row < 0 || static_cast<size_t>(row) >= items.size()) return nullptr;
  return &items[static_cast<size_t>(row)];
}

NSInteger AppSettingsViewController::numberOfSectionsInTableView(UITableView*) {
  // The provider answers for the account's current state on every reload.
  auto* described = objc_cast<AppSettingsProvider>(provider_.get());
  sections_ = described ? described->sections() : std::vector<SettingsSection>{};
  return static_cast<NSInteger>(sections_.size());
}

NSInteger AppSettingsViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger section) {
  if (section < 0 || static_cast<size_t>(section) >= sections_.size()) return 0;
  return static_cast<NSInteger>(sections_[static_cast<size_t>(section)].items.size());
}

void AppSettingsViewController::tableView_willDisplayCell_forRowAtIndexPath(UITableView*, UITableViewCell* cell,
                                                                            NSIndexPath*) {
  if (cell) cell->setBackgroundColor(UIColor::colorWithWhite_alpha(0.08, 1));
}

StrongId AppSettingsViewController::tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  const SettingsLayout& layout = runningSettingsLayout();
  Ref<UITableViewCell> dequeued = tableView->dequeueReusableCellWithIdentifier_forIndexPath(
      settingsText(settingsClassNames(layout.current).cellIdentifier), path);
  auto* cell = objc_cast<AppSettingsDefaultItemCell>(dequeued.get());
  const SettingsItem* item = path ? itemAt(path->section(), path->row()) : nullptr;
  if (!cell || !item) return dequeued;  // blank, as prepareForReuse left it

  cell->title()->setText(settingsText(item->title));
  cell->title()->setHidden(false);
  cell->subtitle()->setText(item->subtitle.empty() ? nullptr : settingsText(item->subtitle).get());
  cell->subtitle()->setHidden(item->subtitle.empty());
  if (!layout.current && layout.lowTitleWithoutSubtitle && item->subtitle.empty())
    cell->titleTopMargin()->setConstant(17);
  bool icon = layout.rowIcons && !item->icon.empty();
  cell->icon()->setImage(icon ? bundleImage(item->icon, true).get() : nullptr);
  cell->icon()->setTintColor(iconTint());
  cell->icon()->setHidden(!icon);

  cell->setAccessoryType(UITableViewCellAccessoryNone);
  cell->setAccessoryView(nullptr);
  if (item->kind == SettingsItem::Kind::Toggle) {
    Ref<UISwitch> toggle = make<UISwitch>();
    toggle->setOn(NSUserDefaults::standardUserDefaults()->boolForKey(settingsText(item->defaultsKey)));
    toggle->setTag(path->section() * 100 + path->row());
    toggle->addTarget_action_forControlEvents(this, sel_registerName("settingsSwitchChanged:"),
                                              UIControlEventValueChanged);
    cell->setAccessoryView(toggle);
  } else if (item->kind == SettingsItem::Kind::Opens) {
    if (!layout.rowIcons) {
      cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
    } else {
      Ref<UIImageView> chevron = make<UIImageView>(bundleImage(layout.newChevron ? "new_chevron" : "old_chevron",
                                                               layout.newChevron).get());
      if (layout.newChevron) chevron->setTintColor(UIColor::whiteColor());
      cell->setAccessoryView(chevron);
    }
  }
  return dequeued;
}

CGFloat AppSettingsViewController::tableView_heightForHeaderInSection(UITableView*, NSInteger section) {
  if (section < 0 || static_cast<size_t>(section) >= sections_.size()) return 0;
  return sections_[static_cast<size_t>(section)].header.empty() ? 12 : UITableViewAutomaticDimension;
}

StrongId AppSettingsViewController::tableView_viewForHeaderInSection(UITableView* tableView, NSInteger section) {
  if (section < 0 || static_cast<size_t>(section) >= sections_.size()) return nullptr;
  const std::string& header = sections_[static_cast<size_t>(section)].header;
  if (header.empty()) return nullptr;
  const SettingsLayout& layout = runningSettingsLayout();
  Ref<UITableViewHeaderFooterView> view =
      tableView->dequeueReusableHeaderFooterViewWithIdentifier(settingsText(settingsClassNames(layout.current).groupIdentifier));
  auto* group = objc_cast<AppSettingsItemGroupView>(view.get());
  if (!group) return view;
  group->title()->setText(nullptr);
  Ref<NSString> text = settingsText(header);
  group->subtitle()->setText(layout.upperCaseHeaders ? text->uppercaseString().get() : text.get());
  return view;
}

void AppSettingsViewController::tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  tableView->deselectRowAtIndexPath_animated(path, true);
  const SettingsItem* item = path ? itemAt(path->section(), path->row()) : nullptr;
  if (!item || item->kind != SettingsItem::Kind::Opens) return;
  Ref<UINavigationController> navigation = navigationController();
  if (!navigation) return;
  if (item->opens == "about" && runningSettingsLayout().current) {
    navigation->pushViewController_animated(make<SimpleSettingsViewController>(), true);
    return;
  }
  StrongId next = objc_msgSend<StrongId>(object_getClass(this), "newMenuViewControllerWithProvider:",
                                         settingsProviderFor(item->opens));
  if (auto* controller = objc_cast<UIViewController>(next.get())) navigation->pushViewController_animated(controller, true);
}

void AppSettingsViewController::settingsSwitchChanged(UISwitch* sender) {
  if (!sender) return;
  const SettingsItem* item = itemAt(sender->tag() / 100, sender->tag() % 100);
  if (item && item->kind == SettingsItem::Kind::Toggle)
    NSUserDefaults::standardUserDefaults()->setBool_forKey(sender->isOn(), settingsText(item->defaultsKey));
}

// --- cells and headers ---------------------------------------------------------------------------

AppSettingsDefaultItemCell::AppSettingsDefaultItemCell()
    : title_(make<UILabel>()), subtitle_(make<UILabel>()), icon_(make<UIImageView>()) {
  UIView* content = contentView();
  for (UIView* v : {static_cast<UIView*>(icon_.get()), static_cast<UIView*>(title_.get()),
                    static_cast<UIView*>(subtitle_.get())}) {
    v->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(v);
  }
  titleTopMargin_ = settingsPin(title_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kTitleTopMargin);
  content->addConstraint(titleTopMargin_);
  content->addConstraint(settingsPin(icon_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 16));
  content->addConstraint(settingsPin(icon_, NSLayoutAttributeCenterY, content, NSLayoutAttributeCenterY, 0));
  content->addConstraint(settingsPin(title_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 52));
  content->addConstraint(settingsPin(subtitle_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading, 0));
  content->addConstraint(settingsPin(subtitle_, NSLayoutAttributeTop, title_, NSLayoutAttributeBottom, 2));
  // The row is as tall as its texts (a self-sizing cell): the subtitle, even
  // hidden and empty, closes the column above the bottom margin.
  content->addConstraint(settingsPin(subtitle_, NSLayoutAttributeBottom, content, NSLayoutAttributeBottom, -kTitleTopMargin));
  // Texts end before the trailing edge (a long one is truncated), not under the accessory.
  content->addConstraint(settingsPin(title_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
  content->addConstraint(settingsPin(subtitle_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
  title_->setTextColor(UIColor::whiteColor());
  subtitle_->setTextColor(UIColor::lightGrayColor());
  subtitle_->setFont(UIFont::systemFontOfSize(13));
  subtitle_->setNumberOfLines(0);  // a long subtitle wraps and the row grows
  subtitle_->setHidden(true);
}

void AppSettingsDefaultItemCell::prepareForReuse() {
  title_->setText(nullptr);
  title_->setHidden(false);
  title_->setBackgroundColor(nullptr);
  subtitle_->setText(nullptr);
  subtitle_->setHidden(true);
  subtitle_->setFont(UIFont::systemFontOfSize(13));
  icon_->setImage(nullptr);
  icon_->setHidden(true);
  titleTopMargin_->setConstant(kTitleTopMargin);
  setTintColor(nullptr);
}

// The texts sit at the foot of the header, just above the section's rows:
// the title over the subtitle, an empty one taking no height.
AppSettingsItemGroupView::AppSettingsItemGroupView() : title_(make<UILabel>()), subtitle_(make<UILabel>()) {
  UIView* content = contentView();
  for (UILabel* label : {title_.get(), subtitle_.get()}) {
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(label);
    content->addConstraint(settingsPin(label, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 16));
    content->addConstraint(settingsPin(label, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
  }
  content->addConstraint(settingsPin(subtitle_, NSLayoutAttributeBottom, content, NSLayoutAttributeBottom, -6));
  content->addConstraint(settingsPin(title_, NSLayoutAttributeBottom, subtitle_, NSLayoutAttributeTop, 0));
  prepareForReuse();
}

void AppSettingsItemGroupView::prepareForReuse() {
  title_->setText(nullptr);
  title_->setTextColor(UIColor::whiteColor());
  subtitle_->setText(nullptr);
  subtitle_->setFont(UIFont::systemFontOfSize(13));
  subtitle_->setTextColor(headerColor());
}

}  // namespace host
