#include "host/home/home_screens.h"

#include <fmt/format.h>

#include <cctype>
#include <iterator>

#include "host/HostApplication.h"
#include "host/settings/settings_screen.h"

namespace host {

namespace {

constexpr CGFloat kTabBarHeight = 56;

Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }

Ref<UILabel> label(CGFloat size, bool bold, UIColor* colour) {
  Ref<UILabel> l = make<UILabel>();
  l->setFont(bold ? UIFont::boldSystemFontOfSize(size).get() : UIFont::systemFontOfSize(size).get());
  l->setTextColor(colour);
  return l;
}

// A title's tile colour: one of a few dark hues, the same for the same title.
Ref<UIColor> artColour(long videoId) {
  static const double hues[][3] = {{0.55, 0.10, 0.12}, {0.12, 0.25, 0.50}, {0.15, 0.40, 0.25},
                                   {0.45, 0.30, 0.10}, {0.35, 0.15, 0.45}, {0.10, 0.38, 0.42}};
  const double* h = hues[static_cast<unsigned long>(videoId) % std::size(hues)];
  return UIColor::colorWithRed_green_blue_alpha(h[0], h[1], h[2], 1);
}

std::string initialsOf(const std::string& title) {
  std::string out;
  bool wordStart = true;
  for (char c : title) {
    if (c == ' ') {
      wordStart = true;
    } else if (wordStart && out.size() < 2 && std::isalnum(static_cast<unsigned char>(c))) {
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      wordStart = false;
    } else {
      wordStart = false;
    }
  }
  return out;
}

// The part of the screen below the navigation bar.
CGRect contentArea() {
  CGRect screen = UIScreen::mainScreen()->bounds();
  CGFloat top = UINavigationBar::statusBarHeight() + UINavigationBar::kHeight;
  return {{0, 0}, {screen.size.width, screen.size.height - top}};
}

Ref<UITableView> darkTable(CGRect frame, id owner) {
  Ref<UITableView> table = make<UITableView>(frame);
  table->setBackgroundColor(UIColor::blackColor());
  table->setDataSource(owner);
  table->setDelegate(owner);
  return table;
}

Ref<UIButton> tabButton(const char* title, UIColor* tint, id target, const char* action) {
  Ref<UIButton> b = UIButton::buttonWithType(UIButtonTypeSystem);
  b->setTitle_forState(ns(title), UIControlStateNormal);
  b->setTintColor(tint);
  b->addTarget_action_forControlEvents(target, sel_registerName(action), UIControlEventTouchUpInside);
  return b;
}

}  // namespace

// --- a title's row ---------------------------------------------------------------------

UIView* HomeTitleCell::initWithFrame(CGRect frame) {
  UITableViewCell::initWithFrame(frame);
  setBackgroundColor(UIColor::blackColor());
  art_ = make<UIView>(CGRectMake(16, 8, 57, 80));
  initials_ = label(22, true, UIColor::whiteColor());
  initials_->setTextAlignment(NSTextAlignmentCenter);
  initials_->setFrame(art_->bounds());
  art_->addSubview(initials_);
  title_ = label(17, true, UIColor::whiteColor());
  year_ = label(14, false, UIColor::lightGrayColor());
  CGFloat textWidth = frame.size.width - 89 - 16;
  title_->setFrame(CGRectMake(89, 26, textWidth, 22));
  year_->setFrame(CGRectMake(89, 50, textWidth, 18));
  for (UIView* v : {art_.get(), static_cast<UIView*>(title_.get()), static_cast<UIView*>(year_.get())})
    contentView()->addSubview(v);
  return this;
}

void HomeTitleCell::show(const CatalogTitle& title) {
  art_->setBackgroundColor(artColour(title.videoId).get());
  initials_->setText(ns(initialsOf(title.title)));
  title_->setText(ns(title.title));
  year_->setText(ns(title.isMovie ? std::to_string(title.year)
                                  : fmt::format("{} \u00b7 {} season{}", title.year, title.seasons.value_or(1),
                                                title.seasons.value_or(1) == 1 ? "" : "s")));
}

// --- the home screen -------------------------------------------------------------------

void HomeViewController::loadView() {
  CGRect area = contentArea();
  Ref<UIView> root = make<UIView>(area);
  root->setBackgroundColor(UIColor::blackColor());
  table_ = darkTable(CGRectMake(0, 0, area.size.width, area.size.height - kTabBarHeight), this);
  table_->setRowHeight(HomeTitleCell::kRowHeight);
  table_->registerClass_forCellReuseIdentifier(objc_getClass("Argo.HomeTitleCell"), "title"_ns);
  root->addSubview(table_);

  Ref<UIView> tabs = make<UIView>(CGRectMake(0, area.size.height - kTabBarHeight, area.size.width, kTabBarHeight));
  tabs->setBackgroundColor(UIColor::colorWithWhite_alpha(0.08, 1).get());
  HostApplication* app = HostApplication::shared();
  homeTab_ = tabButton("Home", UIColor::whiteColor(), this, "showHome:");
  moreTab_ = tabButton(app ? moreScreenTitle(app->version()) : "More", UIColor::grayColor(), this, "showMore:");
  homeTab_->setFrame(CGRectMake(0, 0, area.size.width / 2, kTabBarHeight));
  moreTab_->setFrame(CGRectMake(area.size.width / 2, 0, area.size.width / 2, kTabBarHeight));
  tabs->addSubview(homeTab_);
  tabs->addSubview(moreTab_);
  root->addSubview(tabs);
  setView(root);
}

void HomeViewController::viewDidLoad() { setTitle("Home"_ns); }

NSInteger HomeViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger) {
  HostApplication* app = HostApplication::shared();
  return app ? static_cast<NSInteger>(app->catalog().titles().size()) : 0;
}

StrongId HomeViewController::tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  Ref<UITableViewCell> cell = tableView->dequeueReusableCellWithIdentifier_forIndexPath("title"_ns, path);
  if (auto* row = objc_cast<HomeTitleCell>(cell.get()); row && HostApplication::shared())
    row->show(HostApplication::shared()->catalog().titles().at(static_cast<size_t>(path->row())));
  return cell;
}

CGFloat HomeViewController::tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath*) {
  return HomeTitleCell::kRowHeight;
}

void HomeViewController::tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  tableView->deselectRowAtIndexPath_animated(path, true);
  if (HostApplication* app = HostApplication::shared())
    (void)app->openPage(app->catalog().titles().at(static_cast<size_t>(path->row())).videoId);
}

void HomeViewController::showHome(id /*sender*/) { table_->setContentOffset(0); }

void HomeViewController::showMore(id /*sender*/) {
  Ref<UINavigationController> navigation = navigationController();
  if (!navigation || navigation->topViewController() != this) return;
  StrongId more = StrongId::adopt(class_createInstance(objc_getClass("Argo.MoreViewController"), 0));
  objc_msgSend<void>(navigation, "pushViewController:animated:", more, true);
}

// --- the account menu ------------------------------------------------------------------

const char* moreScreenTitle(const HostVersion& version) {
  return version.compare(HostVersion::parse("16.1").value()) >= 0 ? "My Netflix" : "More";
}

const std::vector<const char*>& MoreViewController::rowTitles() {
  static const std::vector<const char*> titles = {"App Settings", "Account", "Help"};
  return titles;
}

void MoreViewController::loadView() {
  table_ = darkTable(contentArea(), this);
  table_->setRowHeight(56);
  table_->registerClass_forCellReuseIdentifier(objc::classOf<UITableViewCell>(), "row"_ns);
  setView(table_);
}

void MoreViewController::viewDidLoad() {
  HostApplication* app = HostApplication::shared();
  setTitle(ns(app ? moreScreenTitle(app->version()) : "More"));
}

NSInteger MoreViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger) {
  return static_cast<NSInteger>(rowTitles().size());
}

StrongId MoreViewController::tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  Ref<UITableViewCell> cell = tableView->dequeueReusableCellWithIdentifier_forIndexPath("row"_ns, path);
  cell->setBackgroundColor(UIColor::blackColor());
  if (!cell->contentView()->subviewList().empty()) cell->contentView()->subviewList().front()->removeFromSuperview();
  Ref<UILabel> text = label(17, false, UIColor::whiteColor());
  text->setText(ns(rowTitles().at(static_cast<size_t>(path->row()))));
  text->setFrame(CGRectMake(20, 0, tableView->bounds().size.width - 40, 56));
  cell->contentView()->addSubview(text);
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  return cell;
}

void MoreViewController::tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path) {
  tableView->deselectRowAtIndexPath_animated(path, true);
  // Only the settings are more than a row in this app.
  if (path->row() == 0)
    if (HostApplication* app = HostApplication::shared()) openSettings(*app);
}

// --- registration ----------------------------------------------------------------------

void registerHomeClasses(std::vector<std::string>& names) {
  Class cell = objc::registerClass<HomeTitleCell>("Argo.HomeTitleCell", objc::classOf<UITableViewCell>());
  objc::addMethod<&HomeTitleCell::initWithFrame>(cell, "initWithFrame:");
  Class home = objc::registerClass<HomeViewController>("Argo.HomeViewController", objc::classOf<UIViewController>());
  objc::addMethod<&HomeViewController::loadView>(home, "loadView");
  objc::addMethod<&HomeViewController::viewDidLoad>(home, "viewDidLoad");
  objc::addMethod<&HomeViewController::tableView_numberOfRowsInSection>(home, "tableView:numberOfRowsInSection:");
  objc::addMethod<&HomeViewController::tableView_cellForRowAtIndexPath>(home, "tableView:cellForRowAtIndexPath:");
  objc::addMethod<&HomeViewController::tableView_heightForRowAtIndexPath>(home, "tableView:heightForRowAtIndexPath:");
  objc::addMethod<&HomeViewController::tableView_didSelectRowAtIndexPath>(home, "tableView:didSelectRowAtIndexPath:");
  objc::addMethod<&HomeViewController::showHome>(home, "showHome:");
  objc::addMethod<&HomeViewController::showMore>(home, "showMore:");
  Class more = objc::registerClass<MoreViewController>("Argo.MoreViewController", objc::classOf<UIViewController>());
  objc::addMethod<&MoreViewController::loadView>(more, "loadView");
  objc::addMethod<&MoreViewController::viewDidLoad>(more, "viewDidLoad");
  objc::addMethod<&MoreViewController::tableView_numberOfRowsInSection>(more, "tableView:numberOfRowsInSection:");
  objc::addMethod<&MoreViewController::tableView_cellForRowAtIndexPath>(more, "tableView:cellForRowAtIndexPath:");
  objc::addMethod<&MoreViewController::tableView_didSelectRowAtIndexPath>(more, "tableView:didSelectRowAtIndexPath:");
  names.insert(names.end(), {"Argo.HomeTitleCell", "Argo.HomeViewController", "Argo.MoreViewController"});
}

}  // namespace host
