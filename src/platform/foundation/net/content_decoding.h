#pragma once

// Internal to net: undoes a response's Content-Encoding as its body arrives.
// libcurl can decode too, but it takes a compressed stream that simply stops
// early as a complete body; this decoder knows when a stream really ended.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace net::detail {

class ContentDecoder {
 public:
  ContentDecoder();
  ~ContentDecoder();
  ContentDecoder(const ContentDecoder&) = delete;
  ContentDecoder& operator=(const ContentDecoder&) = delete;

  // Prepares for a body with these Content-Encoding tokens, in the order the
  // server applied them (any case; "identity" is skipped). False when one is
  // not gzip, x-gzip, deflate or br. Replaces any earlier set-up.
  bool begin(const std::vector<std::string>& codings);

  // Decodes the next piece of the body and appends the result to `out`.
  // False once the data is found corrupt; later calls keep failing.
  bool feed(std::string_view in, std::string& out);

  // True when the body was empty or every coding's stream reached its proper
  // end; false for a stream cut short. Bytes after a stream's end are ignored.
  bool finish() const;

  class Stage;

 private:
  std::vector<std::unique_ptr<Stage>> stages_;  // in decoding order
  bool failed_ = false;
};

}  // namespace net::detail
