// URLs and URL components parsed from text: every part read, and what
// components write out must parse again.

#include "fuzz_input.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSURL.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  Ref<NSString> text = fuzz::text(in.rest());
  if (!text) return 0;
  if (Ref<NSURL> url = NSURL::URLWithString(text)) {
    (void)url->scheme(), (void)url->host(), (void)url->path(), (void)url->query(), (void)url->fragment();
  }
  Ref<NSURLComponents> components = NSURLComponents::componentsWithString(text);
  if (!components) return 0;
  (void)components->host(), (void)components->path(), (void)components->query(), (void)components->fragment();
  if (Ref<NSArray> items = components->queryItems()) (void)items->count();
  Ref<NSString> written = components->string();
  if (written && !NSURLComponents::componentsWithString(written)) fuzz::broken();
  if (static_cast<bool>(written) != static_cast<bool>(components->URL())) fuzz::broken();
  return 0;
}
