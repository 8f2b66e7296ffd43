// JSON decoding, with the reading options from the first byte. What decodes
// must encode again, and that text must decode.

#include "fuzz_input.h"
#include "platform/foundation/NSJSONSerialization.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  const unsigned long options = in.takeByte() & (NSJSONReadingMutableContainers | NSJSONReadingFragmentsAllowed);
  Ref<NSError> error;
  StrongId value = NSJSONSerialization::JSONObjectWithData_options_error(fuzz::data(in.rest()), options, &error);
  if (!value != static_cast<bool>(error)) fuzz::broken();
  if (!value) return 0;

  const unsigned long writing = options & NSJSONReadingFragmentsAllowed ? 0ul + NSJSONWritingFragmentsAllowed : 0ul;
  Ref<NSData> text = NSJSONSerialization::dataWithJSONObject_options_error(value.get(), writing, &error);
  if (!text) fuzz::broken();
  if (!NSJSONSerialization::JSONObjectWithData_options_error(text, options, &error)) fuzz::broken();
  return 0;
}
