#include "scorelens/hooks/display/CDSCollectionViewDiffableDataSource.h"

#include <cstdint>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UILabel.h"
#include "scorelens/hooks/display/host_access.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace hooks::CDSCollectionViewDiffableDataSource {

IMP saved_collectionView_cellForItemAtIndexPath;

namespace {

using hooks::display::firstSubviewOfClass;
using hooks::display::isKind;
using hooks::display::sendIfAnswered;

constexpr const char* kDetailsDeliveredName = "CXDetailsFromActionSheetDelivered";
constexpr CGFloat kLabelFontSize = 14.0;
constexpr CGFloat kStripOverlap = -8.0;
// The delivery's update waits this long, so that facts read from the metadata
// cell right after the tap that opened the sheet are in the model.
constexpr std::int64_t kDeliveredUpdateDelayNs = 200'000'000;

// --- the data source's added properties, through their accessors ----------------

Ref<CXEnhancedRatingViewContainer> strip(id self) {
  return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(self, "CXEnhancedRatingViewContainer");
}
Ref<CXVideoDisplayPageModel> model(id self) {
  return objc_msgSend<Ref<CXVideoDisplayPageModel>>(self, "CXVideoDisplayPageModel");
}
bool hasInjected(id self) { return objc_msgSend<bool>(self, "CXHasInjectedEnhancedRatingViewContainer"); }
bool hasCompleted(id self) { return objc_msgSend<bool>(self, "CXHasCompletedEnhancedRatingViewContainer"); }
void setHasInjected(id self, bool value) {
  objc_msgSend<void>(self, "setCXHasInjectedEnhancedRatingViewContainer:", value);
}
void setHasCompleted(id self, bool value) {
  objc_msgSend<void>(self, "setCXHasCompletedEnhancedRatingViewContainer:", value);
}

// --- reading the metadata line ------------------------------------------------------

bool isAllDecimalDigits(const NSString* word) {
  static const Ref<NSCharacterSet> nonDigits = NSCharacterSet::decimalDigitCharacterSet()->invertedSet();
  return word->rangeOfCharacterFromSet(nonDigits).location == static_cast<NSUInteger>(NSNotFound);
}

void gatherFromMetadataCell(CXVideoDisplayPageModel* model, id cell) {
  StrongId contentView = sendIfAnswered<StrongId>(cell, "contentView");
  StrongId metadataView = firstSubviewOfClass(contentView.get(), objc_getClass("Argo.DisplayPageTitleMetadataView"));
  if (!metadataView) return;
  // The flag marks the sheet this tap opens as ours; a view that cannot be
  // tapped must not leave it raised for the user's next sheet.
  if (hooks::display::answers(metadataView.get(), "handleMetadataTap")) {
    CXPrefsManager::setNeedsDetailsFromActionSheet(true);
    objc_msgSend<void>(metadataView.get(), "handleMetadataTap");
  }
  StrongId label = firstSubviewOfClass(metadataView.get(), objc_getClass("NFUILabel"));
  Ref<NSString> line = sendIfAnswered<Ref<NSString>>(label.get(), "text");
  if (line) readMetadataLine(model, line);
}

void gatherFromTitleCell(CXVideoDisplayPageModel* model, id cell) {
  StrongId contentView = sendIfAnswered<StrongId>(cell, "contentView");
  StrongId titleView = firstSubviewOfClass(contentView.get(), objc_getClass("Argo.DisplayPageBrandGenreTitleView"));
  if (!titleView) return;
  const Ref<NSString> showTitle = "showTitle"_ns;
  StrongId label = firstSubviewOfClass(titleView.get(), objc_getClass("NFUILabel"), [&](id candidate) {
    Ref<NSString> identifier = sendIfAnswered<Ref<NSString>>(candidate, "accessibilityIdentifier");
    return identifier && identifier->isEqualToString(showTitle);
  });
  if (!label) return;
  model->setTitle(sendIfAnswered<Ref<NSString>>(label.get(), "text"));
}

}  // namespace

// Words are visited last to first, so the line's first year is the one that stays.
void readMetadataLine(CXVideoDisplayPageModel* model, const NSString* line) {
  Ref<NSString> text = line->stringByReplacingOccurrencesOfString_withString(
      NSString::stringWithCharacters(u"\uFFFC"), NSString::string());
  Ref<NSArray> split = text->componentsSeparatedByCharactersInSet(NSCharacterSet::whitespaceAndNewlineCharacterSet());
  std::vector<Ref<NSString>> words;
  for (auto it = split->objects().rbegin(); it != split->objects().rend(); ++it) {
    Ref<NSString> word = objc_cast<NSString>(it->get());
    if (word && word->length() > 0) words.push_back(word);
  }

  const Ref<NSString> season = "Season"_ns;
  model->setIsMovie(!text->containsString(season));

  std::int64_t totalSeconds = 0;
  bool overflowed = false;
  for (size_t k = 0; k < words.size(); ++k) {
    const NSString* word = words[k];
    const bool hours = word->hasSuffix("h"_ns);
    if (hours || word->hasSuffix("m"_ns)) {
      Ref<NSString> digits = word->substringToIndex(word->length() - 1);
      if (digits->length() == 0 || !isAllDecimalDigits(digits)) continue;
      // A total too large to hold is no running time at all; the sum is
      // checked before it is kept, so a wrapped one is never stored.
      std::int64_t seconds = 0, sum = 0;
      if (__builtin_mul_overflow(static_cast<std::int64_t>(digits->integerValue()), hours ? 3600 : 60, &seconds) ||
          __builtin_add_overflow(totalSeconds, seconds, &sum))
        overflowed = true;
      else
        totalSeconds = sum;
    } else if (word->containsString(season)) {
      model->setIsMovie(false);
      // The count stands before the word in the line: after it when reversed.
      // A line that starts with the word has no count; the model keeps its own.
      if (k + 1 < words.size()) model->setNumSeasons(words[k + 1]->integerValue());
    } else if (word->containsString("Series"_ns) || word->containsString("Episodes"_ns)) {
      model->setIsMovie(false);
      model->setNumSeasons(1);
    } else if (word->length() == 4 && isAllDecimalDigits(word)) {
      model->setReleaseYear(box(word->integerValue()));
    }
  }
  if (totalSeconds > 0 && !overflowed) {
    model->setIsMovie(true);
    model->setRuntime(box(static_cast<long>(totalSeconds)));
  }
}

StrongId collectionView_cellForItemAtIndexPath(id self, SEL _cmd, id collectionView, id indexPath) {
  if (!saved_collectionView_cellForItemAtIndexPath) return nullptr;
  StrongId cell =
      imp_call<StrongId>(saved_collectionView_cellForItemAtIndexPath, self, _cmd, collectionView, indexPath);
  if (!strip(self)) return cell;
  if (!hasInjected(self)) objc_msgSend<void>(self, "CXInjectEnhancedRatingViewContainerForCell:", cell.get());
  if (!hasCompleted(self)) objc_msgSend<void>(self, "CXGatherDetailsFromCell:", cell.get());
  return cell;
}

void CXCreateEnhancedRatingContainerForVideoId(id self, SEL /*_cmd*/, id videoId) {
  Ref<CXEnhancedRatingViewContainer> container = make<CXEnhancedRatingViewContainer>(CGRectZero);
  container->setTranslatesAutoresizingMaskIntoConstraints(false);
  objc_msgSend<void>(self, "setCXEnhancedRatingViewContainer:", container.get());
  setHasInjected(self, false);
  setHasCompleted(self, false);
  for (UILabel* label : {container->messageLabel(), container->firstRatingPercentageLabel(),
                         container->secondRatingPercentageLabel()}) {
    if (!label) continue;
    label->setFont(CXPrefsManager::netflixFontOfSize(kLabelFontSize));
    label->setTextColor(CXPrefsManager::enhancedRatingLabelColor());
  }
  Ref<CXVideoDisplayPageModel> pageModel = make<CXVideoDisplayPageModel>();
  pageModel->setVideoId(objc_cast<NSNumber>(videoId));
  objc_msgSend<void>(self, "setCXVideoDisplayPageModel:", pageModel.get());
  objc_msgSend<void>(self, "CXUpdateEnhancedRatingViewContainer:", true);
}

void CXInjectEnhancedRatingViewContainerForCell(id self, SEL /*_cmd*/, id cell) {
  if (!isKind(cell, CXPrefsManager::displayPageInjectionCellClass())) return;
  auto* hostCell = objc_cast<UICollectionViewCell>(cell);
  UIView* contentView = hostCell ? hostCell->contentView() : nullptr;
  if (!contentView) return;
  StrongId buttonViewId = firstSubviewOfClass(contentView, CXPrefsManager::displayPageInjectionCellSubviewClass());
  Ref<UIView> buttonView = objc_cast<UIView>(buttonViewId.get());
  if (!buttonView) return;
  const Ref<NSString> playButton = "playButton"_ns;
  StrongId button = firstSubviewOfClass(buttonView.get(), objc_getClass("HawkinsComponents.StandardButton"),
                                        [&](id candidate) {
                                          Ref<NSString> identifier =
                                              sendIfAnswered<Ref<NSString>>(candidate, "accessibilityIdentifier");
                                          return identifier && identifier->isEqualToString(playButton);
                                        });
  if (!button) return;

  Ref<CXEnhancedRatingViewContainer> container = strip(self);
  if (!container) return;
  container->setCustomBackgroundColor(contentView->backgroundColor());
  contentView->addSubview(container.get());
  setHasInjected(self, true);

  // The button view's old top gives way to the strip; only the first such
  // constraint is the one the host laid the button out with.
  Ref<NSLayoutConstraint> oldTop;
  for (const Ref<NSLayoutConstraint>& constraint : contentView->constraintList()) {
    if (constraint->firstItem().get() == buttonView.get() && constraint->firstAttribute() == NSLayoutAttributeTop) {
      oldTop = constraint;
      break;
    }
  }
  if (oldTop) oldTop->setActive(false);

  auto activate = [](UIView* item, NSLayoutAttribute attribute, UIView* toItem, NSLayoutAttribute toAttribute,
                     CGFloat constant) {
    NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        item, attribute, NSLayoutRelationEqual, toItem, toAttribute, 1.0, constant)
        ->setActive(true);
  };
  UIView* view = container.get();
  activate(view, NSLayoutAttributeHeight, nullptr, NSLayoutAttributeNotAnAttribute,
           CXEnhancedRatingViewContainer::appropriateHeight());
  activate(view, NSLayoutAttributeLeading, contentView, NSLayoutAttributeLeading, 0.0);
  activate(view, NSLayoutAttributeTrailing, contentView, NSLayoutAttributeTrailing, 0.0);
  activate(view, NSLayoutAttributeTop, contentView, NSLayoutAttributeTop, kStripOverlap);
  activate(view, NSLayoutAttributeBottom, buttonView.get(), NSLayoutAttributeTop, kStripOverlap);
}

void CXGatherDetailsFromCell(id self, SEL /*_cmd*/, id cell) {
  Ref<CXVideoDisplayPageModel> pageModel = model(self);
  if (!pageModel) return;
  if (isKind(cell, "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo28DisplayPageTitleMetadataView_") &&
      !pageModel->releaseYear()) {
    gatherFromMetadataCell(pageModel.get(), cell);
  } else if (isKind(cell, "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo30DisplayPageBrandGenreTitleView_")) {
    gatherFromTitleCell(pageModel.get(), cell);
  }
}

void CXDetailsDeliveredFromActionSheet(id self, SEL /*_cmd*/, id notification) {
  auto* note = objc_cast<NSNotification>(notification);
  auto* details = note ? objc_cast<NSDictionary>(note->object()) : nullptr;
  if (!details) return;
  Ref<CXVideoDisplayPageModel> pageModel = model(self);

  if (id entity = details->objectForKey("detailsEntity"_ns)) {
    if (pageModel) pageModel->populatePageModelFromDetailsEntity(entity);
    objc_msgSend<void>(self, "CXUpdateEnhancedRatingViewContainer:", false);
    return;
  }

  auto* keys = objc_cast<NSArray>(details->objectForKey("keys"_ns));
  auto* meta = objc_cast<NSDictionary>(details->objectForKey("metaData"_ns));
  if (pageModel && keys && meta) {
    for (const StrongId& key : *keys) {
      auto* title = objc_cast<NSString>(key.get());
      if (!title) continue;
      auto names = [&] { return CXPrefsManager::namesForMetadataContents(objc_cast<NSArray>(meta->objectForKey(title))); };
      if (title->containsString("Cast"_ns))
        pageModel->setActors(names());
      else if (title->containsString("Director"_ns))
        pageModel->setDirectors(names());
      else if (title->containsString("Writer"_ns))
        pageModel->setWriters(names());
    }
  }

  // The page may close before the delay ends; the update must then not run.
  Weak<objc_object> weakSelf(self);
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, kDeliveredUpdateDelayNs), dispatch_get_main_queue(), [weakSelf] {
    if (StrongId dataSource = weakSelf.lock())
      objc_msgSend<void>(dataSource.get(), "CXUpdateEnhancedRatingViewContainer:", false);
  });
}

void CXUpdateEnhancedRatingViewContainer(id self, SEL /*_cmd*/, bool observe) {
  Ref<CXVideoDisplayPageModel> pageModel = model(self);
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  const Ref<NSString> name = NSString::stringWithUTF8String(kDetailsDeliveredName);
  if (pageModel && pageModel->hasCompleteModel()) {
    setHasCompleted(self, true);
    if (Ref<CXEnhancedRatingViewContainer> container = strip(self))
      container->updateContainerWithDisplayPageModel(pageModel.get());
    center->removeObserver_name_object(self, name, nullptr);
  } else if (observe) {
    center->addObserver_selector_name_object(self, sel_registerName("CXDetailsDeliveredFromActionSheet:"), name,
                                             nullptr);
  }
}

}  // namespace hooks::CDSCollectionViewDiffableDataSource
