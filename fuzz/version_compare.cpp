// Numeric comparison of version texts, as the version gates compare the
// host's version: two texts, one per line. The order must be one order.

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  Ref<NSString> a = fuzz::text(in.takeLine());
  Ref<NSString> b = fuzz::text(in.rest());
  if (!a || !b) return 0;
  NSComparisonResult ab = a->compare_options(b, NSNumericSearch);
  NSComparisonResult ba = b->compare_options(a, NSNumericSearch);
  if (ab != -ba) fuzz::broken();
  if (a->compare_options(a, NSNumericSearch) != NSOrderedSame) fuzz::broken();
  return 0;
}
