#pragma once

// Response content codings. The server encodes bodies itself rather than
// leaving it to cpp-httplib, which compresses only some content types,
// cannot be told to produce a damaged stream, and would add its own
// Content-Encoding beside one set by a handler.

#include <string>
#include <string_view>

#include "services/result.h"

namespace services {

enum class ContentCoding { Identity, Gzip, Brotli };

// The coding to answer with for a request's Accept-Encoding value: br when
// acceptable, else gzip, else identity. Tokens are compared without case and
// a q-value of 0 refuses a coding; "*" accepts both.
ContentCoding negotiateCoding(std::string_view acceptEncoding);

// The Content-Encoding token: "gzip", "br", or "" for identity.
std::string_view codingName(ContentCoding coding);

// Encodes a whole body. Only fails if the compression library does.
Result<std::string> encodeBody(ContentCoding coding, std::string_view body);

// Decodes a whole body. A damaged stream, or one that ends before its
// last block, is an error, which is what tells a cut body from a short one.
Result<std::string> decodeBody(ContentCoding coding, std::string_view body);

}  // namespace services
