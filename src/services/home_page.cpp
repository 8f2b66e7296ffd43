#include "services/home_page.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdint>
#include <random>

#include <fmt/format.h>

namespace services {

namespace {

using nlohmann::json;

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string textMember(const json& hit, const char* name) {
  auto it = hit.find(name);
  if (it == hit.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return it->dump();
  return {};
}

std::string scoreMember(const json& hit, const char* name) {
  auto rt = hit.find("rottenTomatoes");
  if (rt == hit.end() || !rt->is_object()) return {};
  auto it = rt->find(name);
  return it != rt->end() && it->is_number() ? it->dump() : std::string{};
}

// Filler that looks like a bundled site: the same seed always gives the
// same text, so the page (and its compressed forms) are reproducible.
class Filler {
 public:
  explicit Filler(std::uint32_t seed) : random_(seed) {}

  std::string word() {
    static constexpr std::array<std::string_view, 32> kWords = {
        "carousel", "tile",   "score",  "media",  "hero",    "trailer", "poster", "nav",
        "header",   "footer", "rating", "critic", "audience", "pill",   "badge",  "grid",
        "modal",    "menu",   "search", "panel",  "slot",    "ad",      "video",  "caption",
        "wrap",     "row",    "item",   "list",   "link",    "icon",    "drawer", "sheet"};
    return std::string(kWords[next(kWords.size())]);
  }

  std::string hex(int digits) {
    std::string out;
    for (int i = 0; i < digits; ++i) out += "0123456789abcdef"[next(16)];
    return out;
  }

  std::size_t next(std::size_t bound) { return static_cast<std::size_t>(random_() % bound); }

  std::string css(std::size_t bytes) {
    std::string out;
    while (out.size() < bytes) {
      out += fmt::format(".{}-{}__{}{{display:{};margin:{}px {}px;padding:{}rem;color:#{};font-size:{}px}}\n",
                         word(), word(), hex(5), next(2) ? "flex" : "block", next(32), next(24), next(4),
                         hex(6), 10 + next(14));
      if (next(6) == 0) {
        out += fmt::format("@media (min-width:{}px){{.{}-{}{{grid-template-columns:repeat({},1fr)}}}}\n",
                           480 + next(8) * 120, word(), hex(4), 2 + next(5));
      }
    }
    return out;
  }

  // Minified-looking script; it contains "}};" now and then, as real
  // bundles do, which must not confuse a reader looking for the settings.
  std::string script(std::size_t bytes) {
    std::string out;
    while (out.size() < bytes) {
      const auto name = hex(6);
      switch (next(4)) {
        case 0:
          out += fmt::format("function _{}(e,t){{var n=e&&e.{}||{{}};if(n.{}){{return t({{{}:n.{},{}:[{},{}]}})}}"
                             "return{{\"{}\":{{\"{}\":{}}}}};}}\n",
                             name, word(), word(), word(), word(), word(), next(100), next(1000), word(), word(),
                             next(50));
          break;
        case 1:
          out += fmt::format("var _{}={{\"{}\":{{\"{}\":\"{}\",\"{}\":{}}}}};\n", name, word(), word(), hex(8),
                             word(), next(2) ? "true" : "false");
          break;
        case 2:
          out += fmt::format("document.querySelectorAll(\".{}-{}\").forEach(function(e){{e.classList.toggle(\"{}--{}\","
                             "e.offsetWidth>{})}});\n",
                             word(), hex(4), word(), word(), next(1200));
          break;
        default:
          out += fmt::format("window.__{}=window.__{}||[];window.__{}.push([\"{}\",{},\"{}\"]);\n", name, name,
                             name, word(), next(9999), hex(12));
      }
    }
    return out;
  }

 private:
  std::minstd_rand random_;
};

// A section lists a fixed number of titles picked by its own order, as the
// site's carousels do, so the page is the same size whatever the catalog holds.
constexpr std::size_t kTilesPerSection = 40;
constexpr std::size_t kPageBytes = 1024 * 1024;

double numberMember(const json& hit, const char* name) {
  auto it = hit.find(name);
  return it != hit.end() && it->is_number() ? it->get<double>() : 0.0;
}

double criticsScore(const json& hit) {
  auto rt = hit.find("rottenTomatoes");
  return rt != hit.end() && rt->is_object() ? numberMember(*rt, "criticsScore") : 0.0;
}

// The first kTilesPerSection hits of kind `type` by `key`, highest first;
// ties keep catalog order.
template <typename Key>
std::vector<const json*> pick(const Catalog& catalog, std::string_view type, Key key) {
  std::vector<std::pair<double, const json*>> keyed;
  for (const json& hit : catalog.hits()) {
    if (textMember(hit, "type") == type) keyed.emplace_back(key(hit), &hit);
  }
  const auto count = std::min(keyed.size(), kTilesPerSection);
  std::partial_sort(keyed.begin(), keyed.begin() + static_cast<std::ptrdiff_t>(count), keyed.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
  std::vector<const json*> picked;
  for (std::size_t i = 0; i < count; ++i) picked.push_back(keyed[i].second);
  return picked;
}

std::string tiles(const std::vector<const json*>& hits, Filler& filler, std::string_view heading) {
  std::string out = fmt::format(
      "<section class=\"dynamic-poster-list\" data-qa=\"{}\">\n<h2 class=\"h2\">{}</h2>\n"
      "<tiles-carousel-responsive skeleton=\"panel\">\n",
      filler.hex(8), escapeHtml(heading));
  for (const json* entry : hits) {
    const json& hit = *entry;
    const auto type = textMember(hit, "type");
    const auto title = textMember(hit, "title");
    out += fmt::format(
        "<tile-dynamic isvideo=\"false\" data-track=\"{}\"><a href=\"/{}/{}\" data-qa=\"discovery-media-list-item\">"
        "<rt-img alt=\"{}\" fallbacktheme=\"iconic\" loading=\"lazy\" src=\"{}\"></rt-img>"
        "<score-pairs-deprecated criticsscore=\"{}\" audiencescore=\"{}\" criticsentiment=\"{}\"></score-pairs-deprecated>"
        "<span class=\"p--small\" data-qa=\"discovery-media-list-item-title\">{}</span>"
        "<span class=\"smaller\" data-qa=\"discovery-media-list-item-start-date\">{}</span></a></tile-dynamic>\n",
        filler.hex(10), type == "tv" ? "tv" : "m", escapeHtml(textMember(hit, "vanity")), escapeHtml(title),
        escapeHtml(textMember(hit, "posterImageUrl")), scoreMember(hit, "criticsScore"),
        scoreMember(hit, "audienceScore"), filler.next(2) ? "positive" : "negative", escapeHtml(title),
        escapeHtml(textMember(hit, "releaseYear")));
  }
  out += "</tiles-carousel-responsive>\n</section>\n";
  return out;
}

// The site's stylesheet and script bundles: the same on every page, whatever
// the catalog or the tokens, so they are made once a process.
struct Bundles {
  std::string css, headScript, lateScript, tailScript;
};

const Bundles& bundles() {
  static const Bundles made{Filler(20240607).css(90 * 1024), Filler(20240608).script(60 * 1024),
                            Filler(20240609).script(70 * 1024), Filler(20240610).script(kPageBytes)};
  return made;
}

// The first whole lines of `text` that make at least `bytes`.
std::string_view linesOf(const std::string& text, std::size_t bytes) {
  const auto end = text.find('\n', std::min(bytes, text.size()));
  return std::string_view(text).substr(0, end == std::string::npos ? text.size() : end + 1);
}

std::string settingsAssignment(std::string_view applicationId, std::string_view apiKey, HomePageVariant variant) {
  std::string object = thirdPartySettings(applicationId, apiKey).dump();
  switch (variant) {
    case HomePageVariant::WithoutMarker:
      // A minifier's spelling: the same assignment without spaces.
      return fmt::format("root.RottenTomatoes.thirdParty={};", object);
    case HomePageVariant::WithBrokenSettings:
      object.insert(1, ",");
      break;
    case HomePageVariant::Normal:
      break;
  }
  return fmt::format("{}{};", kThirdPartyMarker, object);
}

}  // namespace

nlohmann::ordered_json thirdPartySettings(std::string_view applicationId, std::string_view apiKey) {
  using ojson = nlohmann::ordered_json;
  return ojson{
      {"chartbeat", {{"uid", 52394}, {"domain", "rottentomatoes.com"}, {"useCanonical", true}}},
      {"comscore", {{"c1", "2"}, {"c2", "3000068"}}},
      {"facebook", {{"appId", "326803741017"}, {"version", "v2.12"}}},
      {"algoliaSearch", {{"aId", applicationId}, {"sId", apiKey}}},
      {"cognito", {{"region", "us-west-2"}, {"userPoolId", "us-west-2_4L0ZX4b1U"}, {"clientId", "7pu48v8i2n25t4vhes0edck31c"}}},
      {"mpx", {{"accountPid", "NGweTC"}, {"playerPid", "y__7B0iQTi4P"}, {"accountId", "2474312077"}}},
      {"amazonAds", {{"pubId", "3250"}, {"adServer", "googletag"}, {"videoAdServer", "DFP"}, {"timeout", 1500}}},
      {"userNotifications", {{"enabled", true}, {"delayMs", 4000}}},
  };
}

std::string renderHomePage(const Catalog& catalog, std::string_view applicationId, std::string_view apiKey,
                           HomePageVariant variant) {
  Filler filler(20240611);  // the tiles' varying attributes
  std::string page;
  page.reserve(kPageBytes + 1024);
  page +=
      "<!DOCTYPE html>\n<html lang=\"en\" dir=\"ltr\" xmlns:fb=\"http://www.facebook.com/2008/fbml\" "
      "xmlns:og=\"http://opengraphprotocol.org/schema/\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>Rotten Tomatoes: Movies | TV Shows | Movie Trailers | Reviews - Rotten Tomatoes</title>\n"
      "<meta name=\"description\" content=\"Rotten Tomatoes, home of the Tomatometer, is the most trusted "
      "measurement of quality for Movies &amp; TV. The definitive site for Reviews, Trailers, Showtimes, and "
      "Tickets\">\n"
      "<link rel=\"preconnect\" href=\"https://www.gstatic.com\">\n"
      "<link rel=\"preconnect\" href=\"https://resizing.flixster.com\">\n"
      "<link rel=\"canonical\" href=\"https://www.rottentomatoes.com/\">\n";
  page += "<style>\n" + bundles().css + "</style>\n";
  page += "<script>\n" + bundles().headScript + "</script>\n";
  page +=
      "<script>\nvar root = window;\nroot.RottenTomatoes = root.RottenTomatoes || {};\n"
      "root.RottenTomatoes.context = {\"layout\":{\"header\":{\"editorial\":{\"id\":\"hp\"}}},"
      "\"req\":{\"locale\":\"en-US\"}};\n";
  page += settingsAssignment(applicationId, apiKey, variant) + "\n";
  page +=
      "root.RottenTomatoes.dtmData = {\"webVersion\":\"node\",\"rtVersion\":3.1,\"loggedInStatus\":\"\","
      "\"customerId\":\"\",\"pageName\":\"rt | home\"};\n</script>\n";
  page += "<script>\n" + bundles().lateScript + "</script>\n</head>\n";
  page +=
      "<body class=\"body no-touch\">\n<div id=\"main\" class=\"container\">\n"
      "<rt-header-nav data-qa=\"header-nav\"><a href=\"/\" slot=\"logo\">Rotten Tomatoes</a>"
      "<search-algolia data-qa=\"search-algolia\"></search-algolia>"
      "<a href=\"/browse/movies_in_theaters/\">Movies</a><a href=\"/browse/tv_series_browse/\">TV Shows</a>"
      "<a href=\"/browse/movies_at_home/\">Movies at Home</a></rt-header-nav>\n";
  auto byPopularity = [](const json& hit) { return numberMember(hit, "popularity"); };
  auto byYear = [](const json& hit) { return std::atof(textMember(hit, "releaseYear").c_str()); };
  page += tiles(pick(catalog, "movie", byPopularity), filler, "Popular Streaming Movies");
  page += tiles(pick(catalog, "tv", byYear), filler, "New TV Tonight");
  page += tiles(pick(catalog, "tv", byPopularity), filler, "Most Popular TV on RT");
  page += tiles(pick(catalog, "movie", criticsScore), filler, "Certified Fresh Picks");
  page +=
      "<footer class=\"footer container\" data-qa=\"footer\"><p>Copyright &copy; Fandango. All rights reserved. "
      "Critique &amp; commentaire — « cinéma » … ★★★★</p></footer>\n</div>\n";
  // The site's bundles make up the rest of its megabyte.
  const std::string end = "</script>\n</body>\n</html>\n";
  page += "<script>\n";
  page += linesOf(bundles().tailScript, kPageBytes - std::min(kPageBytes, page.size() + end.size()));
  page += end;
  return page;
}

std::string renderTitlePage(const json& hit) {
  const auto title = escapeHtml(textMember(hit, "title"));
  return fmt::format(
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>{} ({}) - Rotten Tomatoes</title>\n"
      "</head>\n<body>\n<h1 data-qa=\"score-panel-title\">{}</h1>\n<p>{}</p>\n"
      "<score-board-deprecated tomatometerscore=\"{}\" audiencescore=\"{}\"></score-board-deprecated>\n"
      "</body>\n</html>\n",
      title, escapeHtml(textMember(hit, "releaseYear")), title, escapeHtml(textMember(hit, "description")),
      scoreMember(hit, "criticsScore"), scoreMember(hit, "audienceScore"));
}

}  // namespace services
