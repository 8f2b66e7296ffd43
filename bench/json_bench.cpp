// A search answer of the real shape: decoding, matching and extracting it
// against a bare simdjson parse of the same bytes.

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <nlohmann/json.hpp>

#include "bench_support.h"
#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "services/catalog.h"
#include "services/search_index.h"
#include "services/title_index.h"

namespace {

constexpr const char* kSearchRequest =
    R"({"requests":[{"indexName":"content_rt","query":"",)"
    R"("params":"filters=isEmsSearchable%20%3D%201&hitsPerPage=20&analyticsTags=%5B%22header_search%22%5D&clickAnalytics=true"}]})";

// The service's answer to an empty query (twenty hits by popularity), with the
// highlighting and long texts the hosted service sends beside each hit.
struct SearchAnswer {
  std::string bytes;
  nlohmann::json last;  // the hit the model matches, so the walk visits all twenty
};

const SearchAnswer& searchAnswer() {
  static const SearchAnswer answer = [] {
    auto catalog = services::Catalog::load(SCORELENS_SERVICES_DATA_DIR "/ratings-catalog.json");
    if (!catalog) std::abort();
    nlohmann::json body = services::answerSearchQueries(services::TitleIndex(catalog.value()), "content_rt", kSearchRequest).body;
    nlohmann::json& hits = body["results"][0]["hits"];
    for (nlohmann::json& hit : hits) {
      std::string description = hit.value("description", std::string());
      std::string longText;
      while (longText.size() < 900) longText += description + " ";
      hit["description"] = longText;
      nlohmann::json highlight;
      highlight["title"] = {{"value", hit["title"]}, {"matchLevel", "none"}, {"matchedWords", nlohmann::json::array()}};
      highlight["description"] = {{"value", longText}, {"matchLevel", "none"}};
      for (const auto& member : hit["cast"])
        highlight["cast"].push_back({{"name", {{"value", member["name"]}, {"matchLevel", "none"}}}});
      hit["_highlightResult"] = highlight;
    }
    return SearchAnswer{body.dump(), hits.back()};
  }();
  return answer;
}

// How many values (containers, texts, numbers, keys) the answer holds: what
// the reading would cost if it made every one of them.
std::size_t valuesIn(simdjson::dom::element element) {
  std::size_t count = 1;
  if (simdjson::dom::array array; element.get_array().get(array) == simdjson::SUCCESS)
    for (simdjson::dom::element item : array) count += valuesIn(item);
  if (simdjson::dom::object object; element.get_object().get(object) == simdjson::SUCCESS)
    for (simdjson::dom::key_value_pair member : object) count += 1 + valuesIn(member.value);
  return count;
}

std::size_t answerValues() {
  static const std::size_t count = [] {
    simdjson::dom::parser parser;
    return valuesIn(parser.parse(simdjson::padded_string(searchAnswer().bytes)).value());
  }();
  return count;
}

Ref<CXVideoDisplayPageModel> modelForLastHit() {
  const nlohmann::json& hit = searchAnswer().last;
  auto model = make<CXVideoDisplayPageModel>();
  model->setTitle(NSString::stringWithUTF8String(hit["title"].get<std::string>()));
  model->setIsMovie(hit["type"] == "movie");
  if (hit.contains("releaseYear")) model->setReleaseYear(box(std::stol(hit["releaseYear"].get<std::string>())));
  if (hit.contains("runTime")) model->setRuntime(box(hit["runTime"].get<long>() * 60));
  if (hit.contains("seasonCount")) model->setNumSeasons(hit["seasonCount"].get<long>());
  return model;
}

void SearchAnswer_DecodeMatchExtract(benchmark::State& state) {
  Ref<NSData> data = NSData::dataWithBytes(searchAnswer().bytes);
  Ref<CXVideoDisplayPageModel> model = modelForLastHit();
  for (auto _ : state) {
    Ref<NSError> error;
    StrongId value = NSJSONSerialization::JSONObjectWithData_options_error(data, 0, &error);
    Ref<CXEnhancedRating> rating =
        CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromSearchResults(model, value.get());
    if (!rating) state.SkipWithError("the model matched no hit");
    benchmark::DoNotOptimize(rating);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * searchAnswer().bytes.size()));
  state.counters["answer_KB"] = static_cast<double>(searchAnswer().bytes.size()) / 1024;
  state.counters["values"] = static_cast<double>(answerValues());
}
BENCHMARK(SearchAnswer_DecodeMatchExtract);

// The decoding alone, to show how the figure above divides.
void SearchAnswer_DecodeOnly(benchmark::State& state) {
  Ref<NSData> data = NSData::dataWithBytes(searchAnswer().bytes);
  for (auto _ : state) {
    StrongId value = NSJSONSerialization::JSONObjectWithData_options_error(data, 0, nullptr);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * searchAnswer().bytes.size()));
}
BENCHMARK(SearchAnswer_DecodeOnly);

void SearchAnswer_SimdjsonParse(benchmark::State& state) {
  const simdjson::padded_string bytes(searchAnswer().bytes);
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element root;
    if (parser.parse(bytes).get(root)) state.SkipWithError("simdjson refused the answer");
    benchmark::DoNotOptimize(root);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * searchAnswer().bytes.size()));
}
BENCHMARK(SearchAnswer_SimdjsonParse);

const bool registered = bench::addComparison(
    {"search answer (20 hits)", "SearchAnswer_DecodeMatchExtract", "SearchAnswer_SimdjsonParse",
     bench::Comparison::Target::RatioAtMost, 2.5,
     "bounded by simdjson's own parse (about half of the figure) and the decoding of the members the "
     "matching reads; the model's title is folded once a walk, a hit's title only when it has a "
     "parenthesis goes through the expression, and values the matching never reads are never made"});

}  // namespace
