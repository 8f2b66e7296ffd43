// Reading the title's facts from the title cell and the metadata line.

#include <optional>

#include "scorelens/display/page_fixture.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace page_test {
namespace {

using DetailsGathering = PageTest;

struct Facts {
  std::optional<long> year;
  std::optional<long> runtime;
  long seasons = -1;
  bool movie = false;
};

Facts factsOf(const CXVideoDisplayPageModel* model) {
  Facts f;
  if (model->releaseYear()) f.year = model->releaseYear()->integerValue();
  if (model->runtime()) f.runtime = model->runtime()->integerValue();
  f.seasons = model->numSeasons();
  f.movie = model->isMovie();
  return f;
}

struct LineCase {
  const char* line;
  std::optional<long> year;
  std::optional<long> runtime;
  long seasons;
  bool movie;
};

TEST_F(DetailsGathering, MetadataLineGivesYearRuntimeAndSeasons) {
  const LineCase cases[] = {
      {"2019 16+ 2h 10m HD", 2019, 7800, -1, true},
      {"2021 TV-MA 3 Seasons HD", 2021, std::nullopt, 3, false},
      {"1h", std::nullopt, 3600, -1, true},
      {"45m", std::nullopt, 2700, -1, true},
      {"m h", std::nullopt, std::nullopt, -1, true},       // no digits before the suffix
      {"16+h HDm", std::nullopt, std::nullopt, -1, true},  // not digits only
      {"2023 Limited Series", 2023, std::nullopt, 1, false},
      {"8 Episodes", std::nullopt, std::nullopt, 1, false},
      {"1999 2001", 1999, std::nullopt, -1, true},  // the line's first year stays
      {"2019\xEF\xBF\xBCHD 1h", std::nullopt, 3600, -1, true},  // a glued picture makes no year
      {"2020  1 Season\n45m", 2020, 2700, 1, true},  // a duration makes it a film
      {"Seasons 2020", 2020, std::nullopt, -1, false},  // no count before the word
      // A total too large to hold is no running time (not a wrapped one).
      {"2001 99999999999999999h 2h", 2001, std::nullopt, -1, true},
      {"2000000000000000h 2000000000000000h 2000000000000000h", std::nullopt, std::nullopt, -1, true},
      {"2 Seasons 2000000000000000h 2000000000000000h 2000000000000000h", std::nullopt, std::nullopt, 2, false},
  };
  for (const LineCase& c : cases) {
    StrongId dataSource = newDataSource();
    create(dataSource, freshVideoId());
    requestCell(dataSource, metadataCell(c.line));
    Facts f = factsOf(modelOf(dataSource));
    EXPECT_EQ(f.year, c.year) << "year of '" << c.line << "'";
    EXPECT_EQ(f.runtime, c.runtime) << "runtime of '" << c.line << "'";
    EXPECT_EQ(f.seasons, c.seasons) << "seasons of '" << c.line << "'";
    EXPECT_EQ(f.movie, c.movie) << "film or series: '" << c.line << "'";
  }
}

TEST_F(DetailsGathering, MetadataViewIsTappedUntilTheYearIsKnown) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  requestCell(dataSource, metadataCell("TV-MA 2 Seasons"));
  requestCell(dataSource, metadataCell("TV-MA 2 Seasons"));
  EXPECT_EQ(countCalls("tap"), 2u) << "a line without a year is read and tapped again";
  EXPECT_TRUE(CXPrefsManager::needsDetailsFromActionSheet()) << "the tap presented nothing, the flag waits";

  requestCell(dataSource, metadataCell("2018 TV-MA 2 Seasons"));
  requestCell(dataSource, metadataCell("2024 TV-MA 5 Seasons"));
  EXPECT_EQ(countCalls("tap"), 3u) << "once the year is known the cell is left alone";
  EXPECT_EQ(modelOf(dataSource)->releaseYear()->integerValue(), 2018);
  EXPECT_EQ(modelOf(dataSource)->numSeasons(), 2);
}

TEST_F(DetailsGathering, TitleComesFromTheShowTitleLabel) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  requestCell(dataSource, titleCell({{"genre", "Crime"}}));
  EXPECT_FALSE(modelOf(dataSource)->title()) << "no showTitle label, no title";
  requestCell(dataSource, titleCell({{"genre", "Crime"}, {"showTitle", "Heat (1995)"}}));
  ASSERT_TRUE(modelOf(dataSource)->title());
  EXPECT_EQ(utf8(modelOf(dataSource)->title()), "Heat (1995)");
  EXPECT_EQ(utf8(modelOf(dataSource)->titleNoParens()), "Heat");
  requestCell(dataSource, titleCell({{"showTitle", "Heat"}}));
  EXPECT_EQ(utf8(modelOf(dataSource)->title()), "Heat") << "each pass reads the title again";
  requestCell(dataSource, plainCell());
  EXPECT_EQ(utf8(modelOf(dataSource)->title()), "Heat") << "other cells change nothing";
}

TEST_F(DetailsGathering, TapDeliversTheSheetAndTheDelayedUpdateSeesTheLine) {
  long video = freshVideoId();
  StrongId dataSource = newDataSource();
  create(dataSource, video);
  requestCell(dataSource, titleCell({{"showTitle", "Heat"}}));
  sheetUserInfo() = sheetDetails({{"Cast", {"Al Pacino", "Robert De Niro"}}, {"Director", {"Michael Mann"}}});
  requestCell(dataSource, metadataCell("1995 R 2h 50m"));

  EXPECT_FALSE(CXPrefsManager::needsDetailsFromActionSheet()) << "the module's sheet was taken";
  EXPECT_EQ(countCalls("present Argo.ActionSheetController"), 0u) << "and never shown";
  Ref<CXVideoDisplayPageModel> model = modelOf(dataSource);
  ASSERT_TRUE(model->actors());
  EXPECT_EQ(model->actors()->count(), 2u);
  EXPECT_FALSE(hasCompleted(dataSource)) << "the update waits 0.2 s";
  advance(0.1);
  EXPECT_FALSE(hasCompleted(dataSource));
  advance(0.1);
  EXPECT_TRUE(hasCompleted(dataSource)) << "title, year and runtime read after the tap complete the model";
  EXPECT_TRUE(stripOf(dataSource)->ratingDataTask()) << "the strip was handed the model and started its lookup";
}

}  // namespace
}  // namespace page_test
