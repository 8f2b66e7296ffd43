#include "platform/uikit/target_action.h"

#include "platform/uikit/UIKitDefines.h"

namespace uikit::detail {

void sendAction(id target, SEL action, id sender) {
  if (!target || !action) return;
  Method m = class_getInstanceMethod(object_getClass(target), action);
  if (!m) misuse(std::string("action ") + sel_getName(action) + " is not understood by " + class_getName(object_getClass(target)));
  const char* types = method_getTypeEncoding(m);
  if (objc::encodingsMatch(types, "v@:@"))
    objc_msgSend<void>(target, action, sender);
  else if (objc::encodingsMatch(types, "v@:"))
    objc_msgSend<void>(target, action);
  else if (objc::encodingsMatch(types, "v@:@@"))
    objc_msgSend<void>(target, action, sender, nullptr);
  else
    misuse(std::string("action ") + sel_getName(action) + " has the unsupported signature " + types);
}

}  // namespace uikit::detail
