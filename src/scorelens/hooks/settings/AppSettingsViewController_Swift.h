#pragma once
// Hooks on Argo.AppSettingsViewController_Swift: the current hosts' root
// settings controller. Their behaviour is the module's entry and screen in the
// current settings. Until it is built, each replacement calls through unchanged
// and each added method does nothing.
//
// The loader installs these (loader/initialisers.cpp) by name and encoding;
// a body can change here without touching it. The host calls them on its
// main thread.

#include "platform/objc/message.h"
#include "platform/uikit/UIGeometry.h"

namespace hooks::AppSettingsViewController_Swift {

// The host's implementations, saved when the hooks are installed (null when
// the host lacks the class or the method). A replacement calls through with
// exactly its own receiver, selector and arguments.
extern IMP saved_viewDidLoad;
extern IMP saved_viewWillAppear;
extern IMP saved_numberOfSectionsInTableView;
extern IMP saved_tableView_numberOfRowsInSection;
extern IMP saved_tableView_willDisplayCell_forRowAtIndexPath;
extern IMP saved_tableView_cellForRowAtIndexPath;
extern IMP saved_tableView_heightForHeaderInSection;
extern IMP saved_tableView_viewForHeaderInSection;
extern IMP saved_tableView_didSelectRowAtIndexPath;

// Replacements, one per hooked selector, with the method's own encoding.
void viewDidLoad(id self, SEL _cmd);
void viewWillAppear(id self, SEL _cmd, bool animated);
long numberOfSectionsInTableView(id self, SEL _cmd, id tableView);
long tableView_numberOfRowsInSection(id self, SEL _cmd, id tableView, long section);
void tableView_willDisplayCell_forRowAtIndexPath(id self, SEL _cmd, id tableView, id cell, id indexPath);
StrongId tableView_cellForRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath);
CGFloat tableView_heightForHeaderInSection(id self, SEL _cmd, id tableView, long section);
StrongId tableView_viewForHeaderInSection(id self, SEL _cmd, id tableView, long section);
void tableView_didSelectRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath);

// Added methods, under "v@:@".
void CXCriticRatingPercentageEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXCriticRatingMeterEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXAudienceRatingPercentageEnabledSwitchChanged(id self, SEL _cmd, id sender);
void CXAudienceRatingMeterEnabledSwitchChanged(id self, SEL _cmd, id sender);

}  // namespace hooks::AppSettingsViewController_Swift
