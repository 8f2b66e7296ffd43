#include "scorelens/hooks/settings/SimpleSettingsViewController.h"

#include "platform/foundation/NSArray.h"
#include "scorelens/hooks/settings/settings_content.h"

namespace hooks::SimpleSettingsViewController {

IMP saved_viewDidLoad;

void viewDidLoad(id self, SEL _cmd) {
  imp_call<void>(saved_viewDidLoad, self, _cmd);
  StrongId view = settings::sendIfAnswered<StrongId>(self, "view");
  id holder = settings::isKind(view, "Argo.SimpleSettingsView") ? view.get() : self;
  Ivar variable = class_getInstanceVariable(object_getClass(holder), "menuStackView");
  StrongId stack = variable ? object_getIvar(holder, variable) : nullptr;
  auto arranged = settings::sendIfAnswered<Ref<NSArray>>(stack, "arrangedSubviews");
  StrongId last = arranged ? StrongId(arranged->lastObject()) : nullptr;
  auto subviews = settings::sendIfAnswered<Ref<NSArray>>(last, "subviews");
  StrongId label = subviews ? StrongId(subviews->firstObject()) : nullptr;
  if (!label) return;
  auto text = settings::sendIfAnswered<Ref<NSString>>(label, "text");
  // A label without text gets the name and version alone, not "(null); ...".
  Ref<NSString> extended = text && text->length()
                               ? NSString::stringWithFormat("%@; %@", text, settings::nameAndVersion())
                               : settings::nameAndVersion();
  settings::sendIfAnswered<void>(label, "setText:", extended);
}

}  // namespace hooks::SimpleSettingsViewController
