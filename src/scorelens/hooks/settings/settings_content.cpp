#include "scorelens/hooks/settings/settings_content.h"

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/prefs/localized.h"

namespace hooks::settings {

namespace {

struct Binding {
  const char* key;
  const char* english;
  bool (*read)();
  const char* action;
};
// Rows 0 and 1 of sections 1 and 2.
constexpr Binding kBindings[2][2] = {
    {{"PERCENTAGE", "Percentage", &CXPrefsManager::criticRatingPercentageEnabled,
      "CXCriticRatingPercentageEnabledSwitchChanged:"},
     {"METER", "Meter", &CXPrefsManager::criticRatingMeterEnabled, "CXCriticRatingMeterEnabledSwitchChanged:"}},
    {{"PERCENTAGE", "Percentage", &CXPrefsManager::audienceRatingPercentageEnabled,
      "CXAudienceRatingPercentageEnabledSwitchChanged:"},
     {"METER", "Meter", &CXPrefsManager::audienceRatingMeterEnabled, "CXAudienceRatingMeterEnabledSwitchChanged:"}},
};

StrongId label(id cell, const char* which) { return sendIfAnswered<StrongId>(cell, which); }

void setHidden(id view, bool hidden) { sendIfAnswered<void>(view, "setHidden:", hidden); }

bool isOn(id sender) { return sendIfAnswered<bool>(sender, "isOn"); }

}  // namespace

Screen screenOf(id controller, const Generation& generation) {
  long kind = sendIfAnswered<long>(controller, "CXCurrentSettingsType");
  if (kind == generation.root) return Screen::Root;
  if (kind == generation.module) return Screen::Module;
  return Screen::Other;
}

void classify(id controller, Screen screen, const Generation& generation) {
  long kind = screen == Screen::Root ? generation.root : screen == Screen::Module ? generation.module : generation.other;
  sendIfAnswered<void>(controller, "setCXCurrentSettingsType:", kind);
}

long storedSectionCount(id controller) { return sendIfAnswered<long>(controller, "CXRootSettingsOriginalNumSections"); }

void storeSectionCount(id controller, long count) {
  sendIfAnswered<void>(controller, "setCXRootSettingsOriginalNumSections:", count);
}

long moduleRowsInSection(long section) {
  constexpr long kRows[3] = {1, 2, 2};
  return section >= 0 && section < 3 ? kRows[section] : 0;
}

long rowsInSection(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, long section) {
  switch (screenOf(self, generation)) {
    case Screen::Root: {
      long stored = storedSectionCount(self);
      if (section == stored) return 1;
      if (section > stored) return 0;
      break;
    }
    case Screen::Module:
      return moduleRowsInSection(section);
    case Screen::Other:
      break;
  }
  return imp_call<long>(saved, self, cmd, tableView, section);
}

void willDisplayCell(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, id cell, id indexPath) {
  if (screenOf(self, generation) == Screen::Module) return;
  imp_call<void>(saved, self, cmd, tableView, cell, indexPath);
}

Ref<NSString> nameAndVersion() {
  return NSString::stringWithFormat("%@ %@", NSString::stringWithUTF8String(kProductName),
                                    NSString::stringWithUTF8String(kModuleVersion));
}

Ref<NSString> extrasText() { return CXLocalizedString("EXTRAS", "Extras"); }

Ref<NSString> moduleHeaderText(long section) {
  if (section == 1) return CXLocalizedString("CRITIC_RATINGS", "Critic Ratings");
  if (section == 2) return CXLocalizedString("AUDIENCE_RATINGS", "Audience Ratings");
  return nullptr;
}

void setLabelText(id label, NSString* text) { sendIfAnswered<void>(label, "setText:", text); }

void showEntryTitle(id cell, bool clearTitleBackground) {
  StrongId title = label(cell, "title"), subtitle = label(cell, "subtitle");
  setLabelText(title, NSString::stringWithUTF8String(kProductName));
  setHidden(title, false);
  if (clearTitleBackground) sendIfAnswered<void>(title, "setBackgroundColor:", UIColor::clearColor());
  setLabelText(subtitle, nullptr);
  setHidden(subtitle, true);
}

void giveEntryIconAndChevron(id cell, bool newChevron) {
  StrongId icon = label(cell, "icon");
  setHidden(icon, false);
  Ref<UIImage> image = CXPrefsManager::settingsImage();
  sendIfAnswered<void>(icon, "setImage:",
                       image ? image->imageWithRenderingMode(UIImageRenderingModeAlwaysTemplate) : nullptr);
  sendIfAnswered<void>(icon, "setTintColor:", CXPrefsManager::settingsIconTintColor());
  sendIfAnswered<void>(cell, "setAccessoryType:", long{UITableViewCellAccessoryNone});
  sendIfAnswered<void>(cell, "setTintColor:", CXPrefsManager::settingsCellTintColor());
  Ref<UIImageView> chevron = make<UIImageView>(
      newChevron ? CXPrefsManager::newChevronImage().get() : CXPrefsManager::oldChevronImage().get());
  if (newChevron) chevron->setTintColor(UIColor::whiteColor());
  sendIfAnswered<void>(cell, "setAccessoryView:", chevron);
}

namespace {
void showDescription(id cell) {
  StrongId title = label(cell, "title"), subtitle = label(cell, "subtitle");
  setLabelText(title, nullptr);
  setHidden(title, true);
  setLabelText(subtitle, CXLocalizedString("RATINGS_DESC",
                                           "Use these options to customize the display of each type of rating."));
  sendIfAnswered<void>(subtitle, "setFont:", CXPrefsManager::netflixFontOfSize(14.0));
  setHidden(subtitle, false);
  sendIfAnswered<void>(cell, "setAccessoryView:", nullptr);
}
}  // namespace

void showModuleRow(id cell, id controller, id indexPath, bool legacyOrder) {
  auto* path = objc_cast<NSIndexPath>(indexPath);
  if (path && path->section() == 0) {
    showDescription(cell);
    return;
  }
  Ref<UISwitch> toggle = make<UISwitch>();
  toggle->setFrame(CGRectZero);
  toggle->setOnTintColor(sendIfAnswered<Ref<UIColor>>(cell, "tintColor"));
  StrongId title = label(cell, "title"), subtitle = label(cell, "subtitle");
  if (legacyOrder) {
    setLabelText(title, nullptr);
  } else {
    sendIfAnswered<void>(title, "setBackgroundColor:", UIColor::clearColor());
  }
  setHidden(title, false);
  setLabelText(subtitle, nullptr);
  setHidden(subtitle, true);
  sendIfAnswered<void>(cell, "setAccessoryView:", toggle);

  if (!path || path->section() < 1 || path->section() > 2 || path->row() < 0 || path->row() > 1) return;
  const Binding& binding = kBindings[path->section() - 1][path->row()];
  toggle->setOn_animated(binding.read(), false);
  toggle->addTarget_action_forControlEvents(controller, sel_registerName(binding.action), UIControlEventValueChanged);
  setLabelText(title, CXLocalizedString(binding.key, binding.english));
}

void selectRow(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, id indexPath,
               StrongId (*makeModuleScreen)()) {
  auto* path = objc_cast<NSIndexPath>(indexPath);
  switch (screenOf(self, generation)) {
    case Screen::Root:
      if (path && path->section() == storedSectionCount(self)) {
        StrongId next = makeModuleScreen();
        StrongId navigation = sendIfAnswered<StrongId>(self, "navigationController");
        if (navigation && next) objc_msgSend<void>(navigation, "pushViewController:animated:", next, true);
        return;
      }
      break;
    case Screen::Module:
      return;
    case Screen::Other:
      break;
  }
  imp_call<void>(saved, self, cmd, tableView, indexPath);
}

StrongId dequeueGroupView(id tableView, const char* identifier) {
  return sendIfAnswered<StrongId>(tableView, "dequeueReusableHeaderFooterViewWithIdentifier:",
                                  NSString::stringWithUTF8String(identifier));
}

void CXCriticRatingPercentageEnabledSwitchChanged(id, SEL, id sender) {
  CXPrefsManager::setCriticRatingPercentageEnabled(isOn(sender));
}
void CXCriticRatingMeterEnabledSwitchChanged(id, SEL, id sender) {
  CXPrefsManager::setCriticRatingMeterEnabled(isOn(sender));
}
void CXAudienceRatingPercentageEnabledSwitchChanged(id, SEL, id sender) {
  CXPrefsManager::setAudienceRatingPercentageEnabled(isOn(sender));
}
void CXAudienceRatingMeterEnabledSwitchChanged(id, SEL, id sender) {
  CXPrefsManager::setAudienceRatingMeterEnabled(isOn(sender));
}

}  // namespace hooks::settings
