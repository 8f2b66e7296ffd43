#include "scorelens/hooks/settings/AppSettingsViewController_Swift.h"

#include "platform/uikit/UITableView.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::AppSettingsViewController_Swift {

namespace {
using settings::Screen;
constexpr const settings::Generation& kGeneration = settings::kCurrentGeneration;
constexpr const char* kItemCell = "Argo.AppSettingsDefaultItemCell_Swift";
constexpr const char* kGroupView = "Argo.AppSettingsItemGroupView_Swift";
constexpr const char* kGroupIdentifier = "AppSettingsItemGroupView_Swift";

Screen screen(id self) { return settings::screenOf(self, kGeneration); }
}  // namespace

IMP saved_viewDidLoad;
IMP saved_viewWillAppear;
IMP saved_numberOfSectionsInTableView;
IMP saved_tableView_numberOfRowsInSection;
IMP saved_tableView_willDisplayCell_forRowAtIndexPath;
IMP saved_tableView_cellForRowAtIndexPath;
IMP saved_tableView_heightForHeaderInSection;
IMP saved_tableView_viewForHeaderInSection;
IMP saved_tableView_didSelectRowAtIndexPath;

void viewDidLoad(id self, SEL _cmd) {
  imp_call<void>(saved_viewDidLoad, self, _cmd);
  // A host without the "provider" variable cannot say which screen this is:
  // it is left to the host rather than taken for the module screen.
  Ivar variable = class_getInstanceVariable(object_getClass(self), "provider");
  Screen kind = Screen::Other;
  if (variable) {
    StrongId provider = object_getIvar(self, variable);
    if (!provider)
      kind = Screen::Module;
    else if (settings::isKind(provider, "Argo.AppSettingsRootProvider_Swift"))
      kind = Screen::Root;
  }
  settings::classify(self, kind, kGeneration);
}

void viewWillAppear(id self, SEL _cmd, bool animated) {
  imp_call<void>(saved_viewWillAppear, self, _cmd, animated);
  if (screen(self) == Screen::Module)
    settings::sendIfAnswered<void>(self, "setTitle:", NSString::stringWithUTF8String(settings::kProductName));
}

long numberOfSectionsInTableView(id self, SEL _cmd, id tableView) {
  long count = imp_call<long>(saved_numberOfSectionsInTableView, self, _cmd, tableView);
  switch (screen(self)) {
    case Screen::Root:
      settings::storeSectionCount(self, count);
      return count + 1;
    case Screen::Module:
      return 3;
    case Screen::Other:
      break;
  }
  return count;
}

long tableView_numberOfRowsInSection(id self, SEL _cmd, id tableView, long section) {
  return settings::rowsInSection(kGeneration, saved_tableView_numberOfRowsInSection, self, _cmd, tableView, section);
}

void tableView_willDisplayCell_forRowAtIndexPath(id self, SEL _cmd, id tableView, id cell, id indexPath) {
  settings::willDisplayCell(kGeneration, saved_tableView_willDisplayCell_forRowAtIndexPath, self, _cmd, tableView,
                            cell, indexPath);
}

StrongId tableView_cellForRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath) {
  StrongId cell = imp_call<StrongId>(saved_tableView_cellForRowAtIndexPath, self, _cmd, tableView, indexPath);
  if (!settings::isKind(cell, kItemCell)) return cell;
  auto* path = objc_cast<NSIndexPath>(indexPath);
  long section = path ? path->section() : -1;
  switch (screen(self)) {
    case Screen::Root:
      if (section != settings::storedSectionCount(self)) break;
      settings::showEntryTitle(cell, /*clearTitleBackground=*/true);
      settings::giveEntryIconAndChevron(cell, /*newChevron=*/true);
      break;
    case Screen::Module:
      settings::showModuleRow(cell, self, indexPath, /*legacyOrder=*/false);
      break;
    case Screen::Other:
      break;
  }
  return cell;
}

CGFloat tableView_heightForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  switch (screen(self)) {
    case Screen::Root:
      if (section == settings::storedSectionCount(self)) return UITableViewAutomaticDimension;
      break;
    case Screen::Module:
      return section == 0 ? 0.0 : UITableViewAutomaticDimension;
    case Screen::Other:
      break;
  }
  return imp_call<CGFloat>(saved_tableView_heightForHeaderInSection, self, _cmd, tableView, section);
}

StrongId tableView_viewForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  StrongId hostView = imp_call<StrongId>(saved_tableView_viewForHeaderInSection, self, _cmd, tableView, section);
  Screen kind = screen(self);
  if (kind == Screen::Other || (kind == Screen::Root && section != settings::storedSectionCount(self))) return hostView;
  StrongId group = settings::dequeueGroupView(tableView, kGroupIdentifier);
  if (!settings::isKind(group, kGroupView)) return hostView;
  StrongId title = settings::sendIfAnswered<StrongId>(group, "title");
  StrongId subtitle = settings::sendIfAnswered<StrongId>(group, "subtitle");
  if (kind == Screen::Root) {
    settings::setLabelText(title, nullptr);
    settings::setLabelText(subtitle, settings::extrasText());
  } else {
    settings::setLabelText(title, settings::moduleHeaderText(section));
    settings::setLabelText(subtitle, nullptr);
    settings::sendIfAnswered<void>(subtitle, "setFont:", CXPrefsManager::netflixFontOfSize(12.0));
    settings::sendIfAnswered<void>(subtitle, "setTextColor:", CXPrefsManager::settingsHeaderSubtitleLabelColor());
  }
  return group;
}

void tableView_didSelectRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath) {
  // The module screen is a controller without a provider.
  settings::selectRow(kGeneration, saved_tableView_didSelectRowAtIndexPath, self, _cmd, tableView, indexPath, [] {
    return objc_msgSend<StrongId>(objc_getClass("Argo.AppSettingsViewController_Swift"),
                                  "newMenuViewControllerWithProvider:", nullptr);
  });
}

}  // namespace hooks::AppSettingsViewController_Swift
