#include "services/hostile.h"

#include <array>
#include <string>

namespace services {
namespace {

using namespace std::chrono_literals;
using Piece = GeneratedBody::Piece;

constexpr std::size_t kHugeBytes = 100u * 1000 * 1000;
constexpr std::size_t kDeepLevels = 100'000;
constexpr std::string_view kMarker = "root.RottenTomatoes.thirdParty = ";

const std::array<std::string_view, 13> kNames = {
    "reset-mid-body", "truncated-gzip", "truncated-br", "corrupt-gzip", "corrupt-br",
    "stall",          "drip",           "huge",         "deep-json",    "certificate-for-another-host",
    "expired-certificate", "redirect-to-http", "redirect-loop",
};

// About 100 MB that a client must read to the end before it could parse it:
// for the JSON endpoints a hit list, for the home page a page of padding.
GeneratedBody huge(Endpoint endpoint) {
  if (endpoint == Endpoint::HomePage) {
    const std::string line = "<p>" + std::string(93, '.') + "</p>\n";  // 100 bytes
    return GeneratedBody({{"<!DOCTYPE html>\n<html><body>\n"}, {line, kHugeBytes / line.size()}, {"</body></html>\n"}});
  }
  const std::string hit = R"({"title":"Padding","releaseYear":2000,"type":"movie","vanity":"padding","emsId":"x"},)";
  return GeneratedBody({{R"({"results":[{"hits":[)"}, {hit, kHugeBytes / hit.size()}, {"{}]}]}"}});
}

// Well-formed JSON nested kDeepLevels deep; on the home page it sits where
// the search settings belong, ending in the "}};" a client cuts at.
GeneratedBody deep(Endpoint endpoint) {
  if (endpoint == Endpoint::HomePage) {
    return GeneratedBody({{"<!DOCTYPE html>\n<html><head><script>" + std::string(kMarker)},
                          {R"({"a":)", kDeepLevels},
                          {"{}"},
                          {"}", kDeepLevels},
                          {";</script></head></html>\n"}});
  }
  return GeneratedBody({{"[", kDeepLevels}, {"]", kDeepLevels}});
}

}  // namespace

const std::vector<Hostile>& allHostile() {
  static const std::vector<Hostile> all = [] {
    std::vector<Hostile> out;
    for (std::size_t i = 0; i < kNames.size(); ++i) out.push_back(static_cast<Hostile>(i));
    return out;
  }();
  return all;
}

std::string_view hostileName(Hostile hostile) { return kNames.at(static_cast<std::size_t>(hostile)); }

std::optional<Hostile> hostileFromName(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<Hostile>(i);
  return std::nullopt;
}

Misbehaviour hostileReply(Hostile hostile, Endpoint endpoint, std::chrono::milliseconds stall) {
  Misbehaviour m;
  switch (hostile) {
    case Hostile::ResetMidBody: m.fault = Fault::ResetMidBody; break;
    case Hostile::TruncatedGzip: m.fault = Fault::TruncatedCompressedBody; m.coding = ContentCoding::Gzip; break;
    case Hostile::TruncatedBrotli: m.fault = Fault::TruncatedCompressedBody; m.coding = ContentCoding::Brotli; break;
    case Hostile::CorruptGzip: m.fault = Fault::CorruptCompressedBody; m.coding = ContentCoding::Gzip; break;
    case Hostile::CorruptBrotli: m.fault = Fault::CorruptCompressedBody; m.coding = ContentCoding::Brotli; break;
    case Hostile::Stall: m.delay = stall; break;
    case Hostile::Drip: m.bytesPerSecond = 1; break;
    case Hostile::Huge: m.body = huge(endpoint); break;
    case Hostile::DeepJson: m.body = deep(endpoint); break;
    case Hostile::CertificateForAnotherHost: m.certificate = Certificate::ForAnotherHost; break;
    case Hostile::ExpiredCertificate: m.certificate = Certificate::Expired; break;
    // 307 keeps the method and body, so the search's POST is redirected as
    // a POST and the loop holds on every endpoint. The plain-http address
    // keeps port 443, so a client that wrongly follows it still reaches
    // only where the https one was routed.
    case Hostile::RedirectToHttp:
      m.status = 307;
      m.headers = {{"Location", "http://{host}:443{target}"}};
      m.body = GeneratedBody();
      break;
    case Hostile::RedirectLoop:
      m.status = 307;
      m.headers = {{"Location", "https://{host}{target}"}};
      m.body = GeneratedBody();
      break;
  }
  return m;
}

}  // namespace services
