#include "host/settings/settings_classes.h"

namespace host {

NSInteger SettingsTableController::numberOfSectionsInTableView(id) { return 0; }
NSInteger SettingsTableController::tableView_numberOfRowsInSection(id, NSInteger) { return 0; }
void SettingsTableController::tableView_willDisplayCell_forRowAtIndexPath(id, id, NSIndexPath*) {}
StrongId SettingsTableController::tableView_cellForRowAtIndexPath(id, NSIndexPath*) { return nullptr; }
CGFloat SettingsTableController::tableView_heightForHeaderInSection(id, NSInteger) { return 0; }
StrongId SettingsTableController::tableView_viewForHeaderInSection(id, NSInteger) { return nullptr; }
void SettingsTableController::tableView_didSelectRowAtIndexPath(id, NSIndexPath*) {}

StrongId newMenuViewControllerWithProvider(id cls, SEL, id provider) {
  StrongId made = StrongId::adopt(class_createInstance(object_asClass(cls), 0));
  StrongId controller = objc_msgSend<StrongId>(made, "init");
  if (auto* settings = objc_cast<SettingsTableController>(controller.get())) settings->setProvider(provider);
  return controller;
}

Ref<NSString> AppSettingsProvider::title() const { return NSString::stringWithUTF8String("Settings"); }

AppSettingsDefaultItemCellSwift::AppSettingsDefaultItemCellSwift()
    : title_(make<UILabel>()), subtitle_(make<UILabel>()), icon_(make<UIImageView>()) {
  addSubview(icon_);
  addSubview(title_);
  addSubview(subtitle_);
}

AppSettingsItemGroupViewSwift::AppSettingsItemGroupViewSwift() : title_(make<UILabel>()), subtitle_(make<UILabel>()) {
  addSubview(title_);
  addSubview(subtitle_);
}

StrongId MenuListViewModel::initWithDictionary(NSDictionary* dictionary) {
  dictionary_ = dictionary ? dictionary->copyDictionary() : nullptr;
  return StrongId(this);
}

}  // namespace host
