#pragma once
// Sending an action message to a target, shared by controls and gesture
// recognisers. Action methods take no argument ("v@:"), the sender ("v@:@"),
// or the sender and an event ("v@:@@", sent nil: there are no event objects
// here), as on the device.

#include <vector>

#include "platform/objc/message.h"

namespace uikit::detail {

struct TargetAction {
  Weak<objc_object> target;  // not retained, as on the device
  SEL action = nullptr;
};

// Sends action to target with sender, through the run time (so replaced
// methods run). A target that does not answer the action, or answers it with
// another signature, is a loud error. A nil target receives nothing.
void sendAction(id target, SEL action, id sender);

}  // namespace uikit::detail
