// The library the host loads. Loading it is the module's only start: the
// constructor records where the library lives (for the root-path lookup) and
// runs the twelve initialisers; from then on the module runs only when the host
// calls a replaced or added method.

#include "scorelens/loader/initialisers.h"
#include "scorelens/loader/module_image.h"

namespace {
__attribute__((constructor)) void scoreLensLoaded() {
  CXRecordModuleImage(reinterpret_cast<const void*>(&scoreLensLoaded));
  CXRunInitialisers();
}
}  // namespace
