#include "services/compression.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include <brotli/decode.h>
#include <brotli/encode.h>
#include <fmt/format.h>
#include <zlib.h>

namespace services {

namespace {

// zlib's windowBits for a gzip wrapper (15 plus 16).
constexpr int kGzipWindowBits = 15 + 16;

// Brotli's default (11) takes about a second for a home page; a web
// server's usual dynamic setting is close to this.
constexpr int kBrotliQuality = 5;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The q-value of one Accept-Encoding element ("br;q=0.5" gives 0.5).
double qValue(std::string_view params) {
  while (!params.empty()) {
    auto semicolon = params.find(';');
    auto param = trim(params.substr(0, semicolon));
    params = semicolon == std::string_view::npos ? std::string_view{} : params.substr(semicolon + 1);
    if (param.size() > 2 && (param[0] == 'q' || param[0] == 'Q') && param[1] == '=') {
      double q = 1.0;
      auto text = param.substr(2);
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), q);
      return ec == std::errc() && end == text.data() + text.size() ? q : 0.0;
    }
  }
  return 1.0;
}

Result<std::string> gzip(std::string_view body) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return Error{"gzip: deflateInit2 failed"};
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(body.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (rc != Z_STREAM_END) {
    return Error{fmt::format("gzip: deflate failed ({})", rc)};
  }
  return out;
}

Result<std::string> gunzip(std::string_view body) {
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) {
    return Error{"gzip: inflateInit2 failed"};
  }
  std::string out;
  char buffer[16384];
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  int rc = Z_OK;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    rc = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - stream.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&stream);
  if (rc == Z_STREAM_END) {
    if (stream.avail_in != 0) {
      return Error{"gzip: data after the end of the stream"};
    }
    return out;
  }
  if (rc == Z_BUF_ERROR) {
    return Error{"gzip: the stream ends early"};
  }
  return Error{fmt::format("gzip: corrupt stream ({})", stream.msg ? stream.msg : "no detail")};
}

Result<std::string> brotli(std::string_view body) {
  std::string out(BrotliEncoderMaxCompressedSize(body.size()), '\0');
  std::size_t size = out.size();
  if (out.empty() ||
      !BrotliEncoderCompress(kBrotliQuality, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_TEXT, body.size(),
                             reinterpret_cast<const uint8_t*>(body.data()), &size,
                             reinterpret_cast<uint8_t*>(out.data()))) {
    return Error{"br: compression failed"};
  }
  out.resize(size);
  return out;
}

Result<std::string> unbrotli(std::string_view body) {
  BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
  if (state == nullptr) {
    return Error{"br: cannot create a decoder"};
  }
  std::string out;
  const uint8_t* next_in = reinterpret_cast<const uint8_t*>(body.data());
  std::size_t available_in = body.size();
  BrotliDecoderResult rc;
  do {
    uint8_t buffer[16384];
    uint8_t* next_out = buffer;
    std::size_t available_out = sizeof buffer;
    rc = BrotliDecoderDecompressStream(state, &available_in, &next_in, &available_out, &next_out, nullptr);
    out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - available_out);
  } while (rc == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT);
  const char* detail = BrotliDecoderErrorString(BrotliDecoderGetErrorCode(state));
  BrotliDecoderDestroyInstance(state);
  switch (rc) {
    case BROTLI_DECODER_RESULT_SUCCESS:
      if (available_in != 0) {
        return Error{"br: data after the end of the stream"};
      }
      return out;
    case BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT:
      return Error{"br: the stream ends early"};
    default:
      return Error{fmt::format("br: corrupt stream ({})", detail)};
  }
}

}  // namespace

ContentCoding negotiateCoding(std::string_view acceptEncoding) {
  std::optional<double> br, gz, any;
  while (!acceptEncoding.empty()) {
    auto comma = acceptEncoding.find(',');
    auto element = acceptEncoding.substr(0, comma);
    acceptEncoding = comma == std::string_view::npos ? std::string_view{} : acceptEncoding.substr(comma + 1);
    auto semicolon = element.find(';');
    auto token = lower(trim(element.substr(0, semicolon)));
    const double q = semicolon == std::string_view::npos ? 1.0 : qValue(element.substr(semicolon + 1));
    if (token == "br") br = q;
    else if (token == "gzip" || token == "x-gzip") gz = q;
    else if (token == "*") any = q;
  }
  const double brQ = br.value_or(any.value_or(0.0));
  const double gzQ = gz.value_or(any.value_or(0.0));
  if (brQ > 0 && brQ >= gzQ) return ContentCoding::Brotli;
  if (gzQ > 0) return ContentCoding::Gzip;
  return ContentCoding::Identity;
}

std::string_view codingName(ContentCoding coding) {
  switch (coding) {
    case ContentCoding::Gzip: return "gzip";
    case ContentCoding::Brotli: return "br";
    case ContentCoding::Identity: break;
  }
  return "";
}

Result<std::string> encodeBody(ContentCoding coding, std::string_view body) {
  switch (coding) {
    case ContentCoding::Gzip: return gzip(body);
    case ContentCoding::Brotli: return brotli(body);
    case ContentCoding::Identity: break;
  }
  return std::string(body);
}

Result<std::string> decodeBody(ContentCoding coding, std::string_view body) {
  switch (coding) {
    case ContentCoding::Gzip: return gunzip(body);
    case ContentCoding::Brotli: return unbrotli(body);
    case ContentCoding::Identity: break;
  }
  return std::string(body);
}

}  // namespace services
