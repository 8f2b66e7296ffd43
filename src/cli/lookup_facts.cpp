#include "cli/lookup_facts.h"

#include <fmt/format.h>

#include <limits>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSValue.h"

namespace cli {
namespace {

Ref<NSArray> names(const std::vector<std::string>& list) {
  auto out = NSMutableArray::array();
  for (const auto& n : list)
    if (auto s = NSString::stringWithUTF8String(n)) out->addObject(s);
  return out->copyArray();
}

// The same bounds the single lookup's options check.
std::optional<long> wholeNumber(const nlohmann::json& value, long least, const char* name, std::string* error) {
  const bool fits = value.is_number_integer() && (!value.is_number_unsigned() || value.get<unsigned long long>() <=
                                                   static_cast<unsigned long long>(std::numeric_limits<long>::max()));
  if (!fits || value.get<long long>() < least) {
    *error = fmt::format("\"{}\" must be a whole number of at least {}", name, least);
    return std::nullopt;
  }
  return static_cast<long>(value.get<long long>());
}

}  // namespace

Ref<CXVideoDisplayPageModel> modelFrom(const LookupFacts& o) {
  auto model = make<CXVideoDisplayPageModel>();
  model->setVideoId(box(1L));
  model->setTitle(NSString::stringWithUTF8String(o.title));
  model->setIsMovie(o.movie);
  if (o.year) model->setReleaseYear(box(*o.year));
  if (o.runtimeSeconds) model->setRuntime(box(*o.runtimeSeconds));
  if (o.seasons) model->setNumSeasons(*o.seasons);
  if (!o.actors.empty()) model->setActors(names(o.actors));
  if (!o.writers.empty()) model->setWriters(names(o.writers));
  if (!o.directors.empty()) model->setDirectors(names(o.directors));
  if (!o.creators.empty()) model->setCreators(names(o.creators));
  return model;
}

std::optional<LookupFacts> factsFromJson(const std::string& line, std::string* error) {
  // Invalid UTF-8 makes the parse fail, so every text below is UTF-8.
  const nlohmann::json j = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded()) {
    *error = "the line is not JSON";
    return std::nullopt;
  }
  if (!j.is_object()) {
    *error = "the line is not a JSON object";
    return std::nullopt;
  }
  LookupFacts facts;
  for (const auto& [key, value] : j.items()) {
    if (key == "title" && value.is_string()) {  // an empty one is reported below
      facts.title = value.get<std::string>();
    } else if ((key == "movie" || key == "series") && value.is_boolean()) {
      (key == "movie" ? facts.movie : facts.series) = value.get<bool>();
    } else if (key == "year" || key == "runtime" || key == "seasons") {
      auto number = wholeNumber(value, key == "seasons" ? 1 : (key == "year" ? std::numeric_limits<long>::min() : 0), key.c_str(), error);
      if (!number) return std::nullopt;
      (key == "year" ? facts.year : key == "runtime" ? facts.runtimeSeconds : facts.seasons) = number;
    } else if (key == "actors" || key == "writers" || key == "directors" || key == "creators") {
      std::vector<std::string>& list = key == "actors"    ? facts.actors
                                       : key == "writers" ? facts.writers
                                       : key == "directors" ? facts.directors
                                                            : facts.creators;
      if (!value.is_array()) {
        *error = fmt::format("\"{}\" must be a list of names", key);
        return std::nullopt;
      }
      for (const auto& name : value) {
        if (!name.is_string()) {
          *error = fmt::format("\"{}\" must be a list of names", key);
          return std::nullopt;
        }
        list.push_back(name.get<std::string>());
      }
    } else {
      const bool known = key == "title" || key == "movie" || key == "series";
      *error = known ? fmt::format("\"{}\" has the wrong type", key) : fmt::format("unknown member \"{}\"", key);
      return std::nullopt;
    }
  }
  if (facts.title.empty()) {
    *error = "\"title\" is missing or empty";
    return std::nullopt;
  }
  if (facts.movie == facts.series) {
    *error = "exactly one of \"movie\" and \"series\" must be true";
    return std::nullopt;
  }
  return facts;
}

}  // namespace cli
