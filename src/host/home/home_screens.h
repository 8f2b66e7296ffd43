#pragma once
// The app's own screens around the title pages: the home screen listing the
// catalog's titles (art, title, year) with the tab bar at its foot, and the
// screen the tab bar's second tab opens ("More" before 16.1, "My Netflix"
// from 16.1), whose "App Settings" row opens the settings. A tap on a title
// opens its page; the navigation bar's back button leads back. Everything
// answers the toolkit by run-time message, as the app's controllers do.
// Main thread only.

#include <vector>

#include "host/catalog.h"
#include "host/version.h"
#include "platform/uikit/UIKit.h"

namespace host {

class HostApplication;

// One title's row: its art (a tile in the title's colour with its initials),
// its title and its year.
class HomeTitleCell : public UITableViewCell {
 public:
  UIView* initWithFrame(CGRect frame) override;
  void show(const CatalogTitle& title);
  UILabel* titleLabel() const { return title_.get(); }
  UILabel* yearLabel() const { return year_.get(); }
  UILabel* initialsLabel() const { return initials_.get(); }
  UIView* art() const { return art_.get(); }

  static constexpr CGFloat kRowHeight = 96;

 private:
  Ref<UIView> art_;
  Ref<UILabel> initials_, title_, year_;
};

// "Argo.HomeViewController": the root of the app's navigation.
class HomeViewController : public UIViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;

  UITableView* tableView() const { return table_.get(); }
  UIButton* homeTab() const { return homeTab_.get(); }
  UIButton* moreTab() const { return moreTab_.get(); }

  NSInteger tableView_numberOfRowsInSection(UITableView* tableView, NSInteger section);  // "q@:@q"
  StrongId tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path);   // "@@:@@"
  CGFloat tableView_heightForRowAtIndexPath(UITableView* tableView, NSIndexPath* path);  // "d@:@@"
  void tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path);     // "v@:@@"
  // The tab bar's buttons ("showHome:", "showMore:").
  void showHome(id sender);
  void showMore(id sender);

 private:
  Ref<UITableView> table_;
  Ref<UIButton> homeTab_, moreTab_;
};

// "Argo.MoreViewController": the account menu; "App Settings" opens the settings.
class MoreViewController : public UIViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;

  UITableView* tableView() const { return table_.get(); }
  static const std::vector<const char*>& rowTitles();

  NSInteger tableView_numberOfRowsInSection(UITableView* tableView, NSInteger section);  // "q@:@q"
  StrongId tableView_cellForRowAtIndexPath(UITableView* tableView, NSIndexPath* path);   // "@@:@@"
  void tableView_didSelectRowAtIndexPath(UITableView* tableView, NSIndexPath* path);     // "v@:@@"

 private:
  Ref<UITableView> table_;
};

// The title of the tab and screen that leads to the settings, by version.
const char* moreScreenTitle(const HostVersion& version);

void registerHomeClasses(std::vector<std::string>& names);

}  // namespace host
