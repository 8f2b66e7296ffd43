#pragma once
// "NFUIDisplayPageArtHeaderCell": the top of the older page where its summary
// cell is the above-the-fold one: the title's art across the page, with the
// title and its year line ("1995 · R · 2h 50m") laid over the art's darkened
// foot. The summary cell follows right below it, so a view that cell lets
// reach above its top lands on the art, as on the device. Sized by its
// constraints: the art is a fixed share of the page's width (flatter on the
// iPad). Main thread only.

#include "host/art/box_art.h"
#include "host/catalog.h"
#include "platform/uikit/UIKit.h"

namespace host {

class LegacyArtHeaderCell : public UICollectionViewCell {
 public:
  LegacyArtHeaderCell() = default;
  UIView* initWithFrame(CGRect frame) override;
  void configure(const CatalogTitle& title);
  void prepareForReuse() override;

  UILabel* titleLabel() const { return title_.get(); }
  UILabel* factsLabel() const { return facts_.get(); }

 private:
  Ref<BoxArtView> art_;
  Ref<UILabel> title_, facts_;
};

// "1995 · R · 2h 50m": the year line the older page shows under the title.
std::string olderPageFactsLine(const CatalogTitle& title);

}  // namespace host
