// The certified-status service's answer.

#include "fuzz_input.h"
#include "scorelens/lookup/answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  lookup::CertifiedOutcome outcome = lookup::certifiedOutcomeFromAnswer(fuzz::data(in.rest()), nullptr);
  if (outcome.failed && outcome.certified) fuzz::broken();
  return 0;
}
