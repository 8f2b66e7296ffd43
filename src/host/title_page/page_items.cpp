#include "host/title_page/page_items.h"

#include <fmt/format.h>

#include <cmath>

#include "host/metadata_line.h"

namespace host {

namespace {
std::string joined(const std::vector<std::string>& names, size_t limit) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < limit; ++i) out += (i ? ", " : "") + names[i];
  return out;
}

constexpr int kEpisodesPerSeasonShown = 8;
constexpr size_t kMoreLikeThisRows = 3;
}  // namespace

std::shared_ptr<const PageContent> buildPageContent(const CatalogTitle& t, const std::vector<CatalogTitle>& others) {
  auto content = std::make_shared<PageContent>();
  content->title = t;
  content->metadataLine = composeMetadataLine(t);
  auto& items = content->items;

  items.push_back({PageItemKind::Billboard, {t.title}});  // whose art it shows
  items.push_back({PageItemKind::Title, {t.isMovie ? "FILM" : "SERIES", t.title}});
  items.push_back({PageItemKind::Metadata, {content->metadataLine}});
  items.push_back({PageItemKind::PlayButton, {"Play", t.isMovie ? "Download" : "Download S1:E1"}});
  items.push_back({PageItemKind::Synopsis, {t.synopsis}});
  std::vector<std::string> credits;
  if (!t.cast.empty()) credits.push_back("Starring: " + joined(t.cast, 3));
  if (!t.directors.empty())
    credits.push_back((t.directors.size() == 1 ? "Director: " : "Directors: ") + joined(t.directors, 2));
  else if (!t.creators.empty())
    credits.push_back((t.creators.size() == 1 ? "Creator: " : "Creators: ") + joined(t.creators, 2));
  items.push_back({PageItemKind::Credits, credits});
  items.push_back({PageItemKind::Actions, {"My List", "Rate", "Share"}});

  if (!t.isMovie) {
    int count = t.episodes && t.seasons.value_or(1) == 1 ? *t.episodes : kEpisodesPerSeasonShown;
    if (count > kEpisodesPerSeasonShown) count = kEpisodesPerSeasonShown;
    for (int e = 1; e <= count; ++e)
      items.push_back({PageItemKind::Episode, {fmt::format("{}. Episode {}", e, e), fmt::format("{}m", 42 + (e * 7) % 17)}});
  }

  std::vector<std::string> similar;
  for (const CatalogTitle& other : others)
    if (other.videoId != t.videoId && other.isMovie == t.isMovie) similar.push_back(other.title);
  for (size_t row = 0; row < kMoreLikeThisRows && row * 3 < similar.size(); ++row) {
    std::vector<std::string> tiles;
    for (size_t i = row * 3; i < row * 3 + 3 && i < similar.size(); ++i) tiles.push_back(similar[i]);
    items.push_back({PageItemKind::MoreLikeThis, tiles});
  }
  return content;
}

const char* pageItemKindName(PageItemKind kind) {
  switch (kind) {
    case PageItemKind::Billboard: return "billboard";
    case PageItemKind::Title: return "title";
    case PageItemKind::Metadata: return "metadata";
    case PageItemKind::PlayButton: return "play-button";
    case PageItemKind::Synopsis: return "synopsis";
    case PageItemKind::Credits: return "credits";
    case PageItemKind::Actions: return "actions";
    case PageItemKind::Episode: return "episode";
    case PageItemKind::MoreLikeThis: return "more-like-this";
    case PageItemKind::Summary: return "summary";
  }
  return "?";
}

const char* pageItemReuseIdentifier(PageItemKind kind) {
  switch (kind) {
    case PageItemKind::Billboard: return "DisplayPageBillboardCell";
    case PageItemKind::Title: return "DisplayPageBrandGenreTitleCell";
    case PageItemKind::Metadata: return "DisplayPageTitleMetadataCell";
    case PageItemKind::PlayButton: return "DisplayPageButtonCell";
    case PageItemKind::Synopsis: return "DisplayPageSynopsisCell";
    case PageItemKind::Credits: return "DisplayPageCreditsCell";
    case PageItemKind::Actions: return "DisplayPageActionsCell";
    case PageItemKind::Episode: return "DisplayPageEpisodeCell";
    case PageItemKind::MoreLikeThis: return "DisplayPageMoreLikeThisCell";
    case PageItemKind::Summary: return "NFUIDisplayPageSummaryCell";
  }
  return "?";
}

CGFloat pageItemHeight(PageItemKind kind, CGFloat width) {
  switch (kind) {
    case PageItemKind::Billboard: return std::round(width * 9 / 16);
    case PageItemKind::Title: return 56;
    case PageItemKind::Metadata: return 28;
    case PageItemKind::PlayButton: return 104;
    case PageItemKind::Synopsis: return 88;
    case PageItemKind::Credits: return 56;
    case PageItemKind::Actions: return 72;
    case PageItemKind::Episode: return 112;
    case PageItemKind::MoreLikeThis: return 176;
    case PageItemKind::Summary: return 400;
  }
  return 44;
}

}  // namespace host
