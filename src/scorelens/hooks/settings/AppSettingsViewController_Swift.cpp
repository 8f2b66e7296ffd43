#include "scorelens/hooks/settings/AppSettingsViewController_Swift.h"

namespace hooks::AppSettingsViewController_Swift {

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
}

void viewWillAppear(id self, SEL _cmd, bool animated) {
  imp_call<void>(saved_viewWillAppear, self, _cmd, animated);
}

long numberOfSectionsInTableView(id self, SEL _cmd, id tableView) {
  return imp_call<long>(saved_numberOfSectionsInTableView, self, _cmd, tableView);
}

long tableView_numberOfRowsInSection(id self, SEL _cmd, id tableView, long section) {
  return imp_call<long>(saved_tableView_numberOfRowsInSection, self, _cmd, tableView, section);
}

void tableView_willDisplayCell_forRowAtIndexPath(id self, SEL _cmd, id tableView, id cell, id indexPath) {
  imp_call<void>(saved_tableView_willDisplayCell_forRowAtIndexPath, self, _cmd, tableView, cell, indexPath);
}

StrongId tableView_cellForRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath) {
  return imp_call<StrongId>(saved_tableView_cellForRowAtIndexPath, self, _cmd, tableView, indexPath);
}

CGFloat tableView_heightForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  return imp_call<CGFloat>(saved_tableView_heightForHeaderInSection, self, _cmd, tableView, section);
}

StrongId tableView_viewForHeaderInSection(id self, SEL _cmd, id tableView, long section) {
  return imp_call<StrongId>(saved_tableView_viewForHeaderInSection, self, _cmd, tableView, section);
}

void tableView_didSelectRowAtIndexPath(id self, SEL _cmd, id tableView, id indexPath) {
  imp_call<void>(saved_tableView_didSelectRowAtIndexPath, self, _cmd, tableView, indexPath);
}

void CXCriticRatingPercentageEnabledSwitchChanged(id /*self*/, SEL /*_cmd*/, id /*sender*/) {}

void CXCriticRatingMeterEnabledSwitchChanged(id /*self*/, SEL /*_cmd*/, id /*sender*/) {}

void CXAudienceRatingPercentageEnabledSwitchChanged(id /*self*/, SEL /*_cmd*/, id /*sender*/) {}

void CXAudienceRatingMeterEnabledSwitchChanged(id /*self*/, SEL /*_cmd*/, id /*sender*/) {}

}  // namespace hooks::AppSettingsViewController_Swift
