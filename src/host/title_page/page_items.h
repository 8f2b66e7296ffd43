#pragma once
// What the current title page shows, top to bottom: one item per cell, with
// the texts its cell displays. Built once per page from the title's facts;
// immutable afterwards, so any thread may read it.

#include <memory>
#include <string>
#include <vector>

#include "host/catalog.h"
#include "host/version.h"
#include "platform/uikit/UIGeometry.h"

namespace host {

enum class PageItemKind {
  Billboard,     // the artwork and trailer at the top
  Title,         // brand line and the title's name
  Metadata,      // the line of facts; a tap opens the details sheet
  PlayButton,    // Play and Download
  Synopsis,
  Credits,       // "Starring: ..." and the director or creators
  Actions,       // My List, Rate, Share
  Episode,       // one row per episode of the first season (series)
  MoreLikeThis,  // rows of three other titles
  Summary,       // the older page's one summary cell (title, facts, synopsis)
};

struct PageItem {
  PageItemKind kind;
  std::vector<std::string> texts;  // what the cell's labels and buttons read, in order; the billboard: whose art
};

struct PageContent {
  CatalogTitle title;
  std::string metadataLine;
  std::vector<PageItem> items;
};

// The page for title; suggestions are the other titles of the catalog (the
// first few of the same kind that are not title itself fill "More Like This").
std::shared_ptr<const PageContent> buildPageContent(const CatalogTitle& title,
                                                    const std::vector<CatalogTitle>& suggestions);

// A stable name for the kind ("metadata", "play-button", ...).
const char* pageItemKindName(PageItemKind kind);
// The identifier the data source dequeues the kind's cells with.
const char* pageItemReuseIdentifier(PageItemKind kind);
// Height in points of the kind's cell on a page width points wide.
CGFloat pageItemHeight(PageItemKind kind, CGFloat width);

}  // namespace host
