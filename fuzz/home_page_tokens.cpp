// The ratings site's home page, cut for the two search tokens.

#include "fuzz_input.h"
#include "scorelens/lookup/answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  std::optional<lookup::SessionTokens> tokens = lookup::sessionTokensFromHomePage(fuzz::data(in.rest()), nullptr);
  if (tokens && (!tokens->applicationId || tokens->applicationId->length() == 0 || !tokens->apiKey ||
                 tokens->apiKey->length() == 0))
    fuzz::broken();
  return 0;
}
