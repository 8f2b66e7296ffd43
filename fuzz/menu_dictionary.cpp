// The host's menu list dictionary, rewritten with the module's entry. Input:
// the dictionary as JSON (the host's menus are property lists of the same
// shapes). The caller's dictionary must come back unchanged.

#include "fuzz_input.h"
#include "platform/foundation/NSJSONSerialization.h"
#include "scorelens/hooks/settings/MenuListViewModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  Ref<NSError> error;
  StrongId decoded =
      NSJSONSerialization::JSONObjectWithData_options_error(fuzz::data(in.rest()), NSJSONReadingMutableContainers, &error);
  auto* menu = objc_cast<NSDictionary>(decoded.get());
  if (!menu) return 0;
  // Written out whole, so that a change deep inside shows too.
  auto snapshot = [&] { return NSJSONSerialization::dataWithJSONObject_options_error(menu, NSJSONWritingSortedKeys, &error); };
  Ref<NSData> before = snapshot();
  Ref<NSDictionary> rewritten = hooks::MenuListViewModel::dictionaryWithModuleEntry(menu);
  if (!rewritten || !before || !before->isEqual(snapshot())) fuzz::broken();
  return 0;
}
