#pragma once
// The app's settings screens, both generations, as skeletons: the classes
// exist under their run-time names with the members and type encodings that
// the module's settings hooks rely on, and answer like an empty screen
// (no sections, no cells). The screens' contents come later.
//
// There is no table view class in the toolkit, so table views travel as
// plain objects. Main thread only.

#include "platform/uikit/UIKit.h"

namespace host {

// What both settings controllers answer as a table view's data source and delegate.
class SettingsTableController : public UIViewController {
 public:
  SettingsTableController() = default;

  NSInteger numberOfSectionsInTableView(id tableView);                                   // "q@:@"
  NSInteger tableView_numberOfRowsInSection(id tableView, NSInteger section);            // "q@:@q"
  void tableView_willDisplayCell_forRowAtIndexPath(id tableView, id cell, NSIndexPath* path);  // "v@:@@@"
  StrongId tableView_cellForRowAtIndexPath(id tableView, NSIndexPath* path);             // "@@:@@"
  CGFloat tableView_heightForHeaderInSection(id tableView, NSInteger section);           // "d@:@q"
  StrongId tableView_viewForHeaderInSection(id tableView, NSInteger section);            // "@@:@q"
  void tableView_didSelectRowAtIndexPath(id tableView, NSIndexPath* path);               // "v@:@@"

  // "provider" ("@@:"): the object that describes the screen; nil for none.
  StrongId provider() const { return provider_; }
  void setProvider(id provider) { provider_ = provider; }

 private:
  StrongId provider_;
};

// "AppSettingsViewController" (before 15.1.0).
class AppSettingsViewController : public SettingsTableController {};
// "Argo.AppSettingsViewController_Swift" (15.1.0 and later); its provider is
// also the instance variable "provider".
class AppSettingsViewControllerSwift : public SettingsTableController {};

// "+newMenuViewControllerWithProvider:" ("@@:@") of either controller class:
// a new controller of the receiving class showing provider (nil allowed).
StrongId newMenuViewControllerWithProvider(id cls, SEL, id provider);

// "AppSettingsProvider" and its root screen's "AppSettingsRootProvider"
// (before 15.1.0): "title" ("@@:").
class AppSettingsProvider : public NSObject {
 public:
  virtual Ref<NSString> title() const;
};
class AppSettingsRootProvider : public AppSettingsProvider {};
// "Argo.AppSettingsRootProvider_Swift".
class AppSettingsRootProviderSwift : public NSObject {};

// "Argo.AppSettingsDefaultItemCell_Swift": a settings row with "title" and
// "subtitle" labels, an "icon" image view and an accessory.
class AppSettingsDefaultItemCellSwift : public UIView {
 public:
  AppSettingsDefaultItemCellSwift();
  Ref<UILabel> title() const { return title_; }
  Ref<UILabel> subtitle() const { return subtitle_; }
  Ref<UIImageView> icon() const { return icon_; }
  Ref<UIView> accessoryView() const { return accessoryView_; }
  void setAccessoryView(UIView* view) { accessoryView_ = view; }
  NSInteger accessoryType() const { return accessoryType_; }
  void setAccessoryType(NSInteger type) { accessoryType_ = type; }

 private:
  Ref<UILabel> title_, subtitle_;
  Ref<UIImageView> icon_;
  Ref<UIView> accessoryView_;
  NSInteger accessoryType_ = 0;
};

// "Argo.AppSettingsItemGroupView_Swift": a section header with "title" and "subtitle".
class AppSettingsItemGroupViewSwift : public UIView {
 public:
  AppSettingsItemGroupViewSwift();
  Ref<UILabel> title() const { return title_; }
  Ref<UILabel> subtitle() const { return subtitle_; }

 private:
  Ref<UILabel> title_, subtitle_;
};

// "Argo.SimpleSettingsViewController" with the instance variable
// "menuStackView" (nil until the screen's contents exist), and its view
// class "Argo.SimpleSettingsView".
class SimpleSettingsViewController : public UIViewController {
 public:
  StrongId menuStackView() const { return menuStackView_; }
  void setMenuStackView(id view) { menuStackView_ = view; }

 private:
  StrongId menuStackView_;
};
class SimpleSettingsView : public UIView {};

// "MenuListViewModel": built from a dictionary by "initWithDictionary:" ("@@:@").
class MenuListViewModel : public NSObject {
 public:
  StrongId initWithDictionary(NSDictionary* dictionary);
  Ref<NSDictionary> dictionary() const { return dictionary_; }

 private:
  Ref<NSDictionary> dictionary_;
};

}  // namespace host
