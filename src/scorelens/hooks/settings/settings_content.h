#pragma once
// What the module adds to the host's settings, shared by both generations of
// settings controller (AppSettingsViewController_Swift.cpp for the current
// one, AppSettingsViewController.cpp for the older one): the screen kinds,
// the section arithmetic of the root and module screens, the texts, the
// reshaping of the host's rows and the four switch actions.
//
// Host objects (controllers, cells, header views, labels) are reached by
// message only, and a message the object does not answer is skipped, so a
// host that lacks a member keeps its screen as it drew it. Main thread only,
// inside the host's table and control callbacks.

#include "platform/foundation/NSString.h"
#include "platform/objc/message.h"
#include "platform/uikit/NSIndexPath.h"
#include "scorelens/hooks/display/host_access.h"

namespace hooks::settings {

inline constexpr const char* kProductName = "ScoreLens";
inline constexpr const char* kModuleVersion = "3.2.6";
// "ScoreLens 3.2.6".
Ref<NSString> nameAndVersion();

enum class Screen { Root, Module, Other };

// The numbers a generation stores in CXCurrentSettingsType.
struct Generation {
  long root, module, other;
};
inline constexpr Generation kCurrentGeneration{0, 1, 2};
inline constexpr Generation kLegacyGeneration{0, 3, 4};

// The controller's stored kind (a never-classified controller reads 0, the
// root screen, as the property reads 0 before it is set).
Screen screenOf(id controller, const Generation& generation);
void classify(id controller, Screen screen, const Generation& generation);
// CXRootSettingsOriginalNumSections.
long storedSectionCount(id controller);
void storeSectionCount(id controller, long count);

// Rows of the module screen: 1, 2, 2, then 0.
long moduleRowsInSection(long section);

// The table callbacks whose behaviour both generations share. `saved` is the
// generation's saved host implementation.
long rowsInSection(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, long section);
void willDisplayCell(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, id cell, id indexPath);

// --- texts ------------------------------------------------------------------------------------
Ref<NSString> extrasText();           // "EXTRAS"
Ref<NSString> moduleHeaderText(long section);  // "CRITIC_RATINGS" for 1, "AUDIENCE_RATINGS" for 2, else nil

// --- reshaping host objects -------------------------------------------------------------------
// Host objects are asked only for what they answer (see the display hooks).
using hooks::display::isKind;
using hooks::display::sendIfAnswered;

// The entry row's title: "ScoreLens" shown, the subtitle emptied and hidden.
// clearTitleBackground: the current generation also clears the title's background.
void showEntryTitle(id cell, bool clearTitleBackground);
// The entry row's icon (settingsImage as a template, tinted), no standard
// accessory, the cell's tint, and as accessory view a new image view of the
// new chevron tinted white (newChevron) or of the old one untinted.
void giveEntryIconAndChevron(id cell, bool newChevron);
// A module-screen row. Section 0: the description in the subtitle, no
// title, no accessory. Other sections: a new switch (on-colour the cell's
// tint) as the accessory view, the subtitle emptied and hidden, the title
// shown; bound to its preference and titled for rows 0 and 1 of sections 1
// and 2. legacyOrder: the older controller empties the title first and
// leaves its background alone; the current one clears the background.
void showModuleRow(id cell, id controller, id indexPath, bool legacyOrder);
// Selection as both generations handle it: the root's entry row pushes,
// animated, the screen that makeModuleScreen makes (when there is a
// navigation controller); module-screen rows do nothing; everything else
// goes to the host.
void selectRow(const Generation& generation, IMP saved, id self, SEL cmd, id tableView, id indexPath,
               StrongId (*makeModuleScreen)());
// A dequeued group view of identifier from the table, or nil.
StrongId dequeueGroupView(id tableView, const char* identifier);
void setLabelText(id label, NSString* text);

// --- the four switch actions ("v@:@"), added to both controller classes -----------------------
void CXCriticRatingPercentageEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXCriticRatingMeterEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXAudienceRatingPercentageEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXAudienceRatingMeterEnabledSwitchChanged(id self, SEL _cmd, id sender);

}  // namespace hooks::settings
