// A response body undone of its Content-Encoding (gzip, deflate, br, alone or
// stacked), fed in pieces. Input: one byte choosing the codings, one the
// piece size, then the body as it came off the wire.

#include <vector>

#include "fuzz_input.h"
#include "platform/foundation/net/content_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const std::vector<std::vector<std::string>> kCodings = {
      {"gzip"}, {"deflate"}, {"br"}, {"x-gzip"}, {"gzip", "br"}, {"identity", "deflate"}, {"br", "gzip"}, {"GZIP"},
  };
  fuzz::Input in(bytes, size);
  const std::vector<std::string>& codings = kCodings[in.takeByte() % kCodings.size()];
  const std::size_t piece = 1 + in.takeByte();
  net::detail::ContentDecoder decoder;
  if (!decoder.begin(codings)) fuzz::broken();
  std::string_view body = in.rest();
  std::string out;
  bool ok = true;
  while (!body.empty() && ok) {
    ok = decoder.feed(body.substr(0, piece), out);
    body.remove_prefix(std::min(piece, body.size()));
    out.clear();  // the output's size is the transport's business, not the decoder's
  }
  if (ok) (void)decoder.finish();
  return 0;
}
