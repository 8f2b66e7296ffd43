#include "scorelens/hooks/settings/SimpleSettingsViewController.h"

namespace hooks::SimpleSettingsViewController {

IMP saved_viewDidLoad;

void viewDidLoad(id self, SEL _cmd) {
  imp_call<void>(saved_viewDidLoad, self, _cmd);
}

}  // namespace hooks::SimpleSettingsViewController
