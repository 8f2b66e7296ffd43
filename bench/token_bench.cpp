// Finding the search tokens in a home page of a megabyte, against the way it
// was done before: a UTF-16 copy of the whole page, searched as text.

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "scorelens/lookup/answers.h"
#include "services/catalog.h"
#include "services/home_page.h"

namespace {

constexpr std::size_t kPageSize = 1 << 20;

// The stand-in site's page, its markup before the settings repeated so that
// the settings sit near the end of a 1 MB page, where a search costs most.
const std::string& homePage() {
  static const std::string page = [] {
    auto catalog = services::Catalog::load(SCORELENS_SERVICES_DATA_DIR "/ratings-catalog.json");
    if (!catalog) std::abort();
    const std::string rendered = services::renderHomePage(catalog.value(), "79FRDP12PN", "bench-key");
    const std::size_t marker = rendered.find(services::kThirdPartyMarker);
    const std::string head = rendered.substr(0, marker);
    std::string out;
    while (out.size() + rendered.size() - marker < kPageSize) out += head.substr(0, kPageSize - out.size());
    out.resize(kPageSize - (rendered.size() - marker));
    // Cut at a character boundary so the page stays UTF-8.
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
    return out + rendered.substr(marker);
  }();
  return page;
}

void TokenSearch_BytesAfterUtf8Check(benchmark::State& state) {
  Ref<NSData> data = NSData::dataWithBytes(homePage());
  for (auto _ : state) {
    auto tokens = lookup::sessionTokensFromHomePage(data, nullptr);
    if (!tokens) state.SkipWithError("no tokens found");
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * homePage().size()));
}
BENCHMARK(TokenSearch_BytesAfterUtf8Check);

void TokenSearch_Utf16CopyOfPage(benchmark::State& state) {
  Ref<NSData> data = NSData::dataWithBytes(homePage());
  Ref<NSString> marker = NSString::stringWithUTF8String(services::kThirdPartyMarker);
  for (auto _ : state) {
    Ref<NSString> page = NSString::stringWithData(data, NSUTF8StringEncoding);
    NSRange found = page->rangeOfString(marker);
    Ref<NSString> rest = page->substringFromIndex(found.location + found.length);
    NSRange end = rest->rangeOfString(NSString::stringWithUTF8String("}};"));
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * homePage().size()));
}
BENCHMARK(TokenSearch_Utf16CopyOfPage);

const bool registered = bench::addComparison(
    {"token search (1 MB page)", "TokenSearch_BytesAfterUtf8Check", "TokenSearch_Utf16CopyOfPage",
     bench::Comparison::Target::BytesPerSecondAtLeast, 2e9,
     "bounded by one UTF-8 validation pass and one byte search over the page"});

}  // namespace
