#include "host/settings/settings_classes.h"

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

Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }

// The app's row tint and header colour.
Ref<UIColor> iconTint() { return UIColor::colorWithWhite_alpha(0.702, 1); }
Ref<UIColor> headerColor() { return UIColor::colorWithWhite_alpha(0.592, 1); }

Ref<NSLayoutConstraint> pin(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat c) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1, c);
}

Ref<UIImage> bundleImage(const std::string& name, bool asTemplate) {
  Ref<UIImage> image = UIImage::imageNamed(ns(name));
  return image && asTemplate ? image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate) : image;
}

Ref<AppSettingsProvider> providerFor(const std::string& screen) {
  if (screen == "account") return make<AppSettingsAccountProvider>();
  if (screen == "downloads") return make<AppSettingsDownloadsProvider>();
  if (screen == "playback") return make<AppSettingsPlaybackProvider>();
  if (screen == "about") return make<AppSettingsAboutProvider>();
  return nullptr;
}

std::string buildNumber(const std::string& version) {
  unsigned long sum = 0;
  for (char c : version) sum = sum * 31 + static_cast<unsigned char>(c);
  return std::to_string(1000 + sum % 9000);
}

Class metaclassOf(Class cls) { return object_getClass(class_asObject(cls)); }

void addFunction(Class cls, const char* name, IMP imp) {
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

Ref<NSString> AppSettingsProvider::title() const { return ns("Settings"); }

Ref<NSString> AppSettingsRootProvider::title() const { return ns("App Settings"); }

std::vector<SettingsSection> AppSettingsRootProvider::sections() const {
  const SettingsLayout& layout = runningSettingsLayout();
  using K = SettingsItem::Kind;
  std::vector<SettingsSection> sections{
      {"Account",
       {{"Account", "member@example.com", "settings_account", K::Opens, "account", ""},
        {"Profiles", "", "settings_account", K::Info, "", ""}}},
  };
  // Plans without downloads have no Downloads section.
  if (!NSUserDefaults::standardUserDefaults()->boolForKey(ns(kDownloadsUnavailableKey)))
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

Ref<NSString> AppSettingsAccountProvider::title() const { return ns("Account"); }
std::vector<SettingsSection> AppSettingsAccountProvider::sections() const {
  return {{"", {{"Email", "member@example.com", "", SettingsItem::Kind::Info, "", ""},
                {"Change Password", "", "", SettingsItem::Kind::Info, "", ""}}}};
}

Ref<NSString> AppSettingsDownloadsProvider::title() const { return ns("Download Location"); }
std::vector<SettingsSection> AppSettingsDownloadsProvider::sections() const {
  return {{"Storage", {{"Internal Storage", "12.3 GB free", "", SettingsItem::Kind::Info, "", ""}}}};
}

Ref<NSString> AppSettingsPlaybackProvider::title() const { return ns("Cellular Data Usage"); }
std::vector<SettingsSection> AppSettingsPlaybackProvider::sections() const {
  std::vector<SettingsItem> items;
  for (const char* choice : {"Automatic", "Wi-Fi Only", "Save Data", "Maximum Data"})
    items.push_back({choice, "", "", SettingsItem::Kind::Info, "", ""});
  return {{"", items}};
}

Ref<NSString> AppSettingsAboutProvider::title() const { return ns("About"); }
std::vector<SettingsSection> AppSettingsAboutProvider::sections() const {
  SettingsSection section{"App", {}};
  for (const Ref<NSDictionary>& item : appMenuItems(makeAppMenuViewModel().get())) {
    auto* name = objc_cast<NSString>(item->objectForKey("name"_ns));
    section.items.push_back({name ? name->UTF8String() : "", "", "", SettingsItem::Kind::Info, "", ""});
  }
  return {section};
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
  Ref<UITableView> table = make<UITableView>(UIScreen::mainScreen()->bounds());
  table->setDataSource(this);
  table->setDelegate(this);
  const SettingsClassNames& names = settingsClassNames(runningSettingsLayout().current);
  table->registerClass_forCellReuseIdentifier(objc::classOf<AppSettingsDefaultItemCell>(), ns(names.cellIdentifier));
  table->registerClass_forHeaderFooterViewReuseIdentifier(objc::classOf<AppSettingsItemGroupView>(),
                                                         ns(names.groupIdentifier));
  table->setBackgroundColor(UIColor::blackColor());
  setView(table);
}

void AppSettingsViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  if (provider_) setTitle(objc_msgSend<Ref<NSString>>(provider_, "title"));
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
      ns(settingsClassNames(layout.current).cellIdentifier), path);
  auto* cell = objc_cast<AppSettingsDefaultItemCell>(dequeued.get());
  const SettingsItem* item = path ? itemAt(path->section(), path->row()) : nullptr;
  if (!cell || !item) return dequeued;  // blank, as prepareForReuse left it

  cell->title()->setText(ns(item->title));
  cell->title()->setHidden(false);
  cell->subtitle()->setText(item->subtitle.empty() ? nullptr : ns(item->subtitle).get());
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
    toggle->setOn(NSUserDefaults::standardUserDefaults()->boolForKey(ns(item->defaultsKey)));
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
      tableView->dequeueReusableHeaderFooterViewWithIdentifier(ns(settingsClassNames(layout.current).groupIdentifier));
  auto* group = objc_cast<AppSettingsItemGroupView>(view.get());
  if (!group) return view;
  group->title()->setText(nullptr);
  Ref<NSString> text = ns(header);
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
                                         providerFor(item->opens));
  if (auto* controller = objc_cast<UIViewController>(next.get())) navigation->pushViewController_animated(controller, true);
}

void AppSettingsViewController::settingsSwitchChanged(UISwitch* sender) {
  if (!sender) return;
  const SettingsItem* item = itemAt(sender->tag() / 100, sender->tag() % 100);
  if (item && item->kind == SettingsItem::Kind::Toggle)
    NSUserDefaults::standardUserDefaults()->setBool_forKey(sender->isOn(), ns(item->defaultsKey));
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
  titleTopMargin_ = pin(title_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kTitleTopMargin);
  content->addConstraint(titleTopMargin_);
  content->addConstraint(pin(icon_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 16));
  content->addConstraint(pin(icon_, NSLayoutAttributeCenterY, content, NSLayoutAttributeCenterY, 0));
  content->addConstraint(pin(title_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 52));
  content->addConstraint(pin(subtitle_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading, 0));
  content->addConstraint(pin(subtitle_, NSLayoutAttributeTop, title_, NSLayoutAttributeBottom, 2));
  // The row is as tall as its texts (a self-sizing cell): the subtitle, even
  // hidden and empty, closes the column above the bottom margin.
  content->addConstraint(pin(subtitle_, NSLayoutAttributeBottom, content, NSLayoutAttributeBottom, -kTitleTopMargin));
  // Texts end before the trailing edge (a long one is truncated), not under the accessory.
  content->addConstraint(pin(title_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
  content->addConstraint(pin(subtitle_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
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
    content->addConstraint(pin(label, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 16));
    content->addConstraint(pin(label, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -16));
  }
  content->addConstraint(pin(subtitle_, NSLayoutAttributeBottom, content, NSLayoutAttributeBottom, -6));
  content->addConstraint(pin(title_, NSLayoutAttributeBottom, subtitle_, NSLayoutAttributeTop, 0));
  prepareForReuse();
}

void AppSettingsItemGroupView::prepareForReuse() {
  title_->setText(nullptr);
  title_->setTextColor(UIColor::whiteColor());
  subtitle_->setText(nullptr);
  subtitle_->setFont(UIFont::systemFontOfSize(13));
  subtitle_->setTextColor(headerColor());
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
  setTitle(ns("App Settings"));
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
  label->setText(ns(fmt::format("Netflix {} ({})", version, buildNumber(version))));
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
    d->setObject_forKey(ns(menuName), "menuName"_ns);
    d->setObject_forKey(ns(name), "name"_ns);
    // Before the redesign every entry has a fixed height; after it they size themselves.
    if (layout.upperCaseHeaders) d->setObject_forKey("30.0"_ns, "height"_ns);
    return StrongId(d->copyDictionary());
  };
  auto section = [](const char* menuName, std::initializer_list<StrongId> items) {
    return StrongId(NSDictionary::dictionaryWithObjectsAndKeys(
        {{"menuName"_ns, ns(menuName)}, {"items"_ns, NSArray::arrayWithObjects(items)}}));
  };
  return NSDictionary::dictionaryWithObjectsAndKeys(
      {{"sections"_ns,
        NSArray::arrayWithObjects(
            {section("account", {item("email", "member@example.com"), item("plan", "Standard")}),
             section("app", {item("appVersion", "Version " + layout.version),
                             item("buildVersion", fmt::format("Build {} ({})", layout.version, buildNumber(layout.version))),
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
  addFunction(metaclassOf(settings), "newMenuViewControllerWithProvider:", &C::newMenuViewControllerWithProvider);
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
