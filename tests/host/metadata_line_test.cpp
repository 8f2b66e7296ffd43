// The metadata line the title page composes from a title's facts (and the older page's year line).

#include <gtest/gtest.h>

#include "host/legacy/art_header_cell.h"
#include "host/metadata_line.h"

namespace {

const std::string P = host::kObjectReplacement;

host::CatalogTitle film(int year, long seconds, std::optional<std::string> maturity, std::vector<std::string> badges) {
  host::CatalogTitle t;
  t.title = "Film";
  t.year = year;
  t.runtimeSeconds = seconds;
  t.maturity = std::move(maturity);
  t.badges = std::move(badges);
  return t;
}

host::CatalogTitle series(int year, int seasons) {
  host::CatalogTitle t;
  t.title = "Series";
  t.isMovie = false;
  t.year = year;
  t.seasons = seasons;
  t.maturity = "TV-MA";
  t.badges = {"HD"};
  return t;
}

TEST(MetadataLine, FilmShowsYearBadgeRunningTimeAndQualityPictures) {
  EXPECT_EQ(host::composeMetadataLine(film(2019, 7800 + 59, "16+", {"HD"})), "2019 " + P + "16+" + P + " 2h 10m " + P + "HD")
      << "seconds are dropped, not rounded";
}

TEST(MetadataLine, RunningTimeDropsZeroPartsAndSeconds) {
  EXPECT_EQ(host::formatRunningTime(7200), "2h");
  EXPECT_EQ(host::formatRunningTime(2700 + 30), "45m");
  EXPECT_EQ(host::formatRunningTime(3600 + 60), "1h 1m");
  EXPECT_EQ(host::formatRunningTime(59 + 60), "1m");
}

TEST(MetadataLine, SeriesShowsItsSeasonCount) {
  std::string line = host::composeMetadataLine(series(2021, 3));
  EXPECT_EQ(line, "2021 " + P + "TV-MA" + P + " 3 Seasons " + P + "HD");
  EXPECT_EQ(host::composeMetadataLine(series(2021, 1)), "2021 " + P + "TV-MA" + P + " 1 Season " + P + "HD");
}

TEST(MetadataLine, OneSeasonShowsEpisodesAndLimitedSeriesSayso) {
  host::CatalogTitle oneSeason = series(1990, 1);
  oneSeason.episodes = 8;
  EXPECT_EQ(host::composeMetadataLine(oneSeason), "1990 " + P + "TV-MA" + P + " 8 Episodes " + P + "HD");
  host::CatalogTitle limited = series(2020, 1);
  limited.episodes = 7;
  limited.limited = true;
  EXPECT_EQ(host::composeMetadataLine(limited), "2020 " + P + "TV-MA" + P + " Limited Series " + P + "HD");
}

TEST(MetadataLine, NewRibbonIsGluedToTheYear) {
  // With the pictures removed the year reads "2025New": no longer a year word.
  EXPECT_EQ(host::composeMetadataLine(film(2025, 11520, "PG-13", {"New", "4K"})),
            "2025" + P + "New " + P + "PG-13" + P + " 3h 12m " + P + "4K");
}

TEST(MetadataLine, LeavesOutMissingPartsWithTheirSpace) {
  EXPECT_EQ(host::composeMetadataLine(film(1960, 7620, std::nullopt, {})), "1960 2h 7m");
  // The older page's year line: plain text, parts between dots, a missing one with its dot.
  EXPECT_EQ(host::olderPageFactsLine(film(1960, 7620, std::nullopt, {"HD"})), "1960  \u00B7  2h 7m");
  EXPECT_EQ(host::olderPageFactsLine(series(2021, 3)), "2021  \u00B7  TV-MA  \u00B7  3 Seasons");
}

}  // namespace
