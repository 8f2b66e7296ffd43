#include "services/certified_status.h"

#include <fmt/format.h>

namespace services {

namespace {

using nlohmann::json;

const json* scores(const json& hit) {
  auto rt = hit.find("rottenTomatoes");
  return rt != hit.end() && rt->is_object() ? &*rt : nullptr;
}

const json* number(const json* object, const char* name) {
  if (object == nullptr) return nullptr;
  auto it = object->find(name);
  return it != object->end() && it->is_number() ? &*it : nullptr;
}

bool isCertified(const json& hit) {
  if (auto status = hit.find("certifiedStatus"); status != hit.end() && status->is_boolean()) {
    return status->get<bool>();
  }
  if (const json* rt = scores(hit)) {
    auto fresh = rt->find("certifiedFresh");
    return fresh != rt->end() && fresh->is_boolean() && fresh->get<bool>();
  }
  return false;
}

}  // namespace

ServiceAnswer answerCertifiedStatus(const Catalog& catalog, std::string_view emsId) {
  const json* hit = emsId.empty() ? nullptr : catalog.findByEmsId(emsId);
  if (hit == nullptr) {
    return {404, json{{"error", "Not Found"}, {"message", fmt::format("No media found for emsId '{}'", emsId)},
                      {"status", 404}}};
  }
  const bool certified = isCertified(*hit);
  const json* critics = number(scores(*hit), "criticsScore");
  const json* audience = number(scores(*hit), "audienceScore");

  json tomatometer = {{"certifiedFresh", certified}, {"tomatometer", nullptr}};
  if (critics != nullptr) {
    const double score = critics->get<double>();
    tomatometer["score"] = *critics;
    tomatometer["tomatometer"] = *critics;
    tomatometer["state"] = certified ? "certified_fresh" : score >= 60 ? "fresh" : "rotten";
  } else {
    tomatometer["state"] = "not_rated";
  }
  json userRating = {{"dtlLikedScore", audience != nullptr ? *audience : json(nullptr)}};
  if (audience != nullptr) {
    userRating["ratingType"] = "ALL_AUDIENCE";
  }

  const auto member = [&](const char* name) {
    auto it = hit->find(name);
    return it != hit->end() ? *it : json(nullptr);
  };
  const auto type = member("type");
  return {200, json{
                   {"id", emsId},
                   {"emsId", emsId},
                   {"type", type == "tv" ? "TvSeries" : "Movie"},
                   {"title", member("title")},
                   {"releaseYear", member("releaseYear")},
                   {"vanity", member("vanity")},
                   {"tomatometer", std::move(tomatometer)},
                   {"userRating", std::move(userRating)},
               }};
}

}  // namespace services
