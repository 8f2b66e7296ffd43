// The strip's placement in the play-button cell and the data source's
// per-page state: creation, the cell hook and the update.

#include "scorelens/display/page_fixture.h"

#include <algorithm>

#include "scorelens/prefs/CXPrefsManager.h"

namespace page_test {
namespace {

using DataSourceInjection = PageTest;

// The active constraints the content view holds whose first item is view.
std::vector<Ref<NSLayoutConstraint>> constraintsOf(UIView* holder, UIView* view) {
  std::vector<Ref<NSLayoutConstraint>> out;
  for (const Ref<NSLayoutConstraint>& c : holder->constraintList())
    if (c->firstItem().get() == view) out.push_back(c);
  return out;
}

Ref<NSLayoutConstraint> find(const std::vector<Ref<NSLayoutConstraint>>& list, NSLayoutAttribute attribute) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c->firstAttribute() == attribute; });
  return it == list.end() ? nullptr : *it;
}

TEST_F(DataSourceInjection, PageWithoutStripGetsTheHostsCellsUntouched) {
  StrongId dataSource = newDataSource();
  PlayCell play = playCell();
  Ref<UICollectionViewCell> metadata = metadataCell("2019 2h");
  EXPECT_EQ(requestCell(dataSource, play.cell).get(), play.cell.get()) << "the host's own cell comes back";
  EXPECT_EQ(requestCell(dataSource, metadata).get(), metadata.get());
  EXPECT_EQ(play.cell->contentView()->subviewList().size(), 1u) << "no strip placed on an unserved page";
  EXPECT_EQ(countCalls("tap"), 0u) << "no fact gathering on an unserved page";
  EXPECT_EQ(countCalls("cell"), 2u) << "the host's implementation answered each request";
}

TEST_F(DataSourceInjection, PlayButtonCellGetsTheStripOnceAboveTheButton) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  Ref<CXEnhancedRatingViewContainer> strip = stripOf(dataSource);
  ASSERT_TRUE(strip);
  EXPECT_FALSE(strip->translatesAutoresizingMaskIntoConstraints());
  EXPECT_EQ(strip->firstRatingPercentageLabel()->textColor(), CXPrefsManager::enhancedRatingLabelColor().get());

  PlayCell play = playCell();
  UIView* content = play.cell->contentView();
  EXPECT_EQ(requestCell(dataSource, play.cell).get(), play.cell.get());
  ASSERT_TRUE(hasInjected(dataSource));
  ASSERT_EQ(content->subviewList().size(), 2u);
  EXPECT_EQ(content->subviewList().back().get(), strip.get()) << "the strip goes into the content view";
  EXPECT_EQ(strip->backgroundColor(), content->backgroundColor()) << "the strip takes the cell's background";
  EXPECT_FALSE(play.buttonTop->isActive()) << "the button's old top constraint gives way";

  auto own = constraintsOf(content, strip);
  ASSERT_EQ(own.size(), 4u) << "leading, trailing, top and bottom live on the content view";
  EXPECT_EQ(find(own, NSLayoutAttributeLeading)->constant(), 0.0);
  EXPECT_EQ(find(own, NSLayoutAttributeTrailing)->constant(), 0.0);
  EXPECT_EQ(find(own, NSLayoutAttributeTop)->constant(), -8.0);
  EXPECT_EQ(find(own, NSLayoutAttributeTop)->secondItem().get(), content);
  Ref<NSLayoutConstraint> bottom = find(own, NSLayoutAttributeBottom);
  EXPECT_EQ(bottom->secondItem().get(), play.buttonView.get()) << "the button hangs below the strip";
  EXPECT_EQ(bottom->secondAttribute(), NSLayoutAttributeTop);
  EXPECT_EQ(bottom->constant(), -8.0);
  auto height = constraintsOf(strip, strip);
  ASSERT_EQ(height.size(), 1u);
  EXPECT_EQ(height[0]->firstAttribute(), NSLayoutAttributeHeight);
  EXPECT_EQ(height[0]->constant(), CXEnhancedRatingViewContainer::appropriateHeight());

  size_t constraintsBefore = content->constraintList().size();
  requestCell(dataSource, play.cell);
  EXPECT_EQ(content->subviewList().size(), 2u) << "a second pass places nothing";
  EXPECT_EQ(content->constraintList().size(), constraintsBefore) << "and adds no constraint";
}

TEST_F(DataSourceInjection, ButtonViewWithoutTopConstraintStillGetsTheFiveConstraints) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  PlayCell play = playCell(/*withTopConstraint=*/false);
  UIView* content = play.cell->contentView();
  requestCell(dataSource, play.cell);
  Ref<CXEnhancedRatingViewContainer> strip = stripOf(dataSource);
  EXPECT_EQ(constraintsOf(content, strip).size() + constraintsOf(strip, strip).size(), 5u);
  EXPECT_EQ(constraintsOf(content, play.buttonView).size(), 1u) << "the button's leading constraint is kept";
}

TEST_F(DataSourceInjection, CellWithoutThePlayButtonIsLeftAndTheSearchGoesOn) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  PlayCell wrong = playCell(true, "trailerButton");
  requestCell(dataSource, wrong.cell);
  requestCell(dataSource, plainCell());
  EXPECT_FALSE(hasInjected(dataSource));
  EXPECT_EQ(wrong.cell->contentView()->subviewList().size(), 1u);
  EXPECT_TRUE(wrong.buttonTop->isActive());

  PlayCell right = playCell();
  requestCell(dataSource, right.cell);
  EXPECT_TRUE(hasInjected(dataSource)) << "a later play-button cell gets the strip";
}

TEST_F(DataSourceInjection, CachedTitleCompletesAtCreationWithoutObserving) {
  long video = freshVideoId();
  cacheRating(video);
  StrongId dataSource = newDataSource();
  create(dataSource, video);
  EXPECT_TRUE(hasCompleted(dataSource)) << "the cache completes the model at once";
  EXPECT_FALSE(hasInjected(dataSource));

  deliver(sheetDetails({{"Cast", {"Al Pacino"}}}));
  EXPECT_FALSE(modelOf(dataSource)->actors()) << "a completed page does not observe deliveries";

  sheetUserInfo() = sheetDetails({{"Cast", {"Al Pacino"}}});
  requestCell(dataSource, metadataCell("1995 2h 50m"));
  EXPECT_EQ(countCalls("tap"), 0u) << "a completed page's cells are not read";
  PlayCell play = playCell();
  requestCell(dataSource, play.cell);
  EXPECT_TRUE(hasInjected(dataSource)) << "but the strip is still placed";
}

TEST_F(DataSourceInjection, UpdateWithoutObservingKeepsTheRegistration) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  update(dataSource, false);
  EXPECT_FALSE(hasCompleted(dataSource));
  deliver(sheetDetails({{"Cast", {"Val Kilmer"}}}));
  Ref<NSArray> actors = modelOf(dataSource)->actors();
  ASSERT_TRUE(actors) << "the registration made at creation still receives deliveries";
  EXPECT_EQ(actors->count(), 1u);
}

TEST_F(DataSourceInjection, ObservingTwiceReceivesEachDeliveryTwice) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  update(dataSource, true);
  size_t before = dispatch::MainRunLoop::pendingCount();
  deliver(sheetDetails({}));
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount() - before, 2u) << "one delayed update per registration";
}

TEST_F(DataSourceInjection, CompletedModelIsHandedOverAndObservingStops) {
  long video = freshVideoId();
  StrongId dataSource = newDataSource();
  create(dataSource, video);
  cacheRating(video);
  update(dataSource, false);
  EXPECT_TRUE(hasCompleted(dataSource));
  update(dataSource, true);
  EXPECT_TRUE(hasCompleted(dataSource)) << "a second complete update is harmless";
  size_t before = dispatch::MainRunLoop::pendingCount();
  deliver(sheetDetails({}));
  EXPECT_EQ(dispatch::MainRunLoop::pendingCount(), before) << "no registration is left";
}

TEST_F(DataSourceInjection, RecreationStartsThePageAfresh) {
  StrongId dataSource = newDataSource();
  create(dataSource, freshVideoId());
  PlayCell play = playCell();
  requestCell(dataSource, play.cell);
  Ref<CXEnhancedRatingViewContainer> first = stripOf(dataSource);
  create(dataSource, freshVideoId());
  EXPECT_NE(stripOf(dataSource).get(), first.get());
  EXPECT_FALSE(hasInjected(dataSource));
  EXPECT_EQ(first->superview().get(), play.cell->contentView()) << "the placed strip stays in its cell";
}

}  // namespace
}  // namespace page_test
