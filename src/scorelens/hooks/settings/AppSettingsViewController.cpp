#include "scorelens/hooks/settings/AppSettingsViewController.h"

#include "platform/dispatch/dispatch.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::AppSettingsViewController {

namespace {
using settings::Screen;
constexpr const settings::Generation& kGeneration = settings::kLegacyGeneration;
constexpr const char* kGroupIdentifier = "AppSettingsItemGroupView";

Screen screen(id self) { return settings::screenOf(self, kGeneration); }

// With the settings redesign but before the Swift settings, the host's root
// table wants two spare sections after the module's, and the module screen
// two after its own.
bool padded() { return CXPrefsManager::hasSettingsRedesign() && !CXPrefsManager::isAtLeastNetflix15x(); }

// Looked up once: the class whose screens these are.
Class settingsClass() {
  static dispatch_once_t once = 0;
  static Class cls = nullptr;
  dispatch_once(&once, [] { cls = objc_getClass("AppSettingsViewController"); });
  return cls;
}

Ref<NSString> upperCased(const NSString* text) { return text ? text->uppercaseString() : nullptr; }
}  // namespace

IMP saved_viewDidLoad;
IMP saved_numberOfSectionsInTableView;
IMP saved_tableView_numberOfRowsInSection;
IMP saved_tableView_willDisplayCell_forRowAtIndexPath;
IMP saved_tableView_cellForRowAtIndexPath;
IMP saved_tableView_heightForHeaderInSection;
IMP saved_tableView_viewForHeaderInSection;
IMP saved_tableView_didSelectRowAtIndexPath;

void viewDidLoad(id self, SEL _cmd) {
  imp_call<void>(saved_viewDidLoad, self, _cmd);
  StrongId provider = settings::sendIfAnswered<StrongId>(self, "provider");
  Screen kind = Screen::Other;
  if (settings::isKind(provider, "AppSettingsRootProvider"))
    kind = Screen::Root;
  else if (settings::isKind(provider, "CXAppSettingsCineluxProvider"))
    kind = Screen::Module;
  settings::classify(self, kind, kGeneration);
}

long numberOfSectionsInTableView(id self, SEL _cmd, id tableView) {
  long count = imp_call<long>(saved_numberOfSectionsInTableView, self, _cmd, tableView);
  switch (screen(self)) {
    case Screen::Root:
      settings::storeSectionCount(self, count);
      return count + (padded() ? 3 : 1);
    case Screen::Module:
      return padded() ? 5 : 3;
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
  auto* path = objc_cast<NSIndexPath>(indexPath);
  long section = path ? path->section() : -1;
  switch (screen(self)) {
    case Screen::Root: {
      if (section != settings::storedSectionCount(self)) break;
      settings::showEntryTitle(cell, /*clearTitleBackground=*/false);
      settings::sendIfAnswered<void>(cell, "setAccessoryView:", nullptr);
      settings::sendIfAnswered<void>(cell, "setAccessoryType:", long{UITableViewCellAccessoryDisclosureIndicator});
      if (CXPrefsManager::isLessThanNetflix10x()) {
        StrongId margin = settings::sendIfAnswered<StrongId>(cell, "titleTopMargin");
        settings::sendIfAnswered<void>(margin, "setConstant:", 17.0);
      } else if (CXPrefsManager::hasSettingsRedesign()) {
        settings::giveEntryIconAndChevron(cell, CXPrefsManager::hasSettingsNewChevron());
      }
      break;
    }
    case Screen::Module:
      settings::showModuleRow(cell, self, indexPath, /*legacyOrder=*/true);
      break;
    case Screen::Other:
      break;
  }
  return cell;
}

CGFloat tableView_heightForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  Screen kind = screen(self);
  if (kind == Screen::Module || (kind == Screen::Root && section == settings::storedSectionCount(self)))
    return UITableViewAutomaticDimension;
  return imp_call<CGFloat>(saved_tableView_heightForHeaderInSection, self, _cmd, tableView, section);
}

StrongId tableView_viewForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  StrongId hostView = imp_call<StrongId>(saved_tableView_viewForHeaderInSection, self, _cmd, tableView, section);
  Screen kind = screen(self);
  if (kind == Screen::Other || (kind == Screen::Root && section != settings::storedSectionCount(self))) return hostView;
  StrongId group = settings::dequeueGroupView(tableView, kGroupIdentifier);
  StrongId title = settings::sendIfAnswered<StrongId>(group, "title");
  StrongId subtitle = settings::sendIfAnswered<StrongId>(group, "subtitle");
  bool redesign = CXPrefsManager::hasSettingsRedesign();
  if (kind == Screen::Root) {
    settings::setLabelText(title, nullptr);
    Ref<NSString> extras = settings::extrasText();
    settings::setLabelText(subtitle, redesign ? extras : upperCased(extras));
    return group;
  }
  Ref<NSString> header = settings::moduleHeaderText(section);
  settings::setLabelText(title, redesign ? header : upperCased(header));
  settings::setLabelText(subtitle, nullptr);
  if (redesign) {
    settings::sendIfAnswered<void>(subtitle, "setFont:", CXPrefsManager::netflixFontOfSize(12.0));
    settings::sendIfAnswered<void>(subtitle, "setTextColor:", CXPrefsManager::settingsHeaderSubtitleLabelColor());
  }
  return group;
}

void tableView_didSelectRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath) {
  // The module screen is a controller showing a new module provider.
  settings::selectRow(kGeneration, saved_tableView_didSelectRowAtIndexPath, self, _cmd, tableView, indexPath, [] {
    StrongId made = objc_msgSend<StrongId>(objc_getClass("CXAppSettingsCineluxProvider"), "alloc");
    StrongId provider = objc_msgSend<StrongId>(made, "init");
    return objc_msgSend<StrongId>(settingsClass(), "newMenuViewControllerWithProvider:", provider);
  });
}

}  // namespace hooks::AppSettingsViewController
