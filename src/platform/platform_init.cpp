// The platform's start-up: runs when the shared library is loaded, before the
// host or any module, like the system frameworks on the device. Classes are
// registered in layer order: the root and Foundation, then the view toolkit.

#include "platform/foundation/register.h"
#include "platform/uikit/register.h"

namespace {
__attribute__((constructor)) void platformStartUp() {
  registerFoundationClasses();
  registerUIKitClasses();
}
}  // namespace
