// What the module left on a demo page: its strip, its model, and where they sit.

#include <string_view>

#include "cli/demo.h"
#include "cli/strip_report.h"
#include "platform/dispatch/dispatch.h"
#include "platform/uikit/UIView.h"

namespace cli::demo {
namespace {

// The older page's summary cell on screen, or nil.
Ref<UICollectionViewCell> summaryCellOf(const host::TitlePage& page) {
  if (!page.legacyPage()) return nullptr;
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Summary) return cell.cell;
  return nullptr;
}

bool running(const Ref<NSURLSessionDataTask>& task) {
  return task && task->state() != NSURLSessionTaskStateCompleted;
}

}  // namespace

// The current page keeps its strip on its data source, the older page in its summary cell.
Ref<CXEnhancedRatingViewContainer> stripOf(const host::TitlePage& page) {
  StrongId owner = page.dataSource();
  if (!owner) owner = summaryCellOf(page);
  if (!owner || !class_respondsToSelector(object_getClass(owner.get()), sel_registerName("CXEnhancedRatingViewContainer")))
    return nullptr;
  return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(owner.get(), "CXEnhancedRatingViewContainer");
}

Ref<CXVideoDisplayPageModel> modelOf(const host::TitlePage& page) {
  auto source = page.dataSource();
  if (!source) return nullptr;
  return objc_msgSend<Ref<CXVideoDisplayPageModel>>(source.get(), "CXVideoDisplayPageModel");
}

nlohmann::json names(NSArray* list) {
  if (!list) return nullptr;
  nlohmann::json out = nlohmann::json::array();
  for (const StrongId& n : *list) out.push_back(utf8(objc_cast<NSString>(n.get())));
  return out;
}

nlohmann::json modelJson(CXVideoDisplayPageModel* m) {
  if (!m) return nullptr;
  auto number = [](NSNumber* n) { return n ? nlohmann::json(n->integerValue()) : nlohmann::json(nullptr); };
  auto text = [](NSString* s) { return s ? nlohmann::json(utf8(s)) : nlohmann::json(nullptr); };
  return {{"title", text(m->title().get())},
          {"titleNoParens", text(m->titleNoParens().get())},
          {"releaseYear", number(m->releaseYear().get())},
          {"runtime", number(m->runtime().get())},
          {"numSeasons", m->numSeasons() < 0 ? nlohmann::json(nullptr) : nlohmann::json(m->numSeasons())},  // -1: none gathered
          // Only the page's facts say which: a model that gathered none (a cached title) has no kind.
          {"isMovie", m->title() ? nlohmann::json(m->isMovie()) : nlohmann::json(nullptr)},
          {"actors", names(m->actors().get())},
          {"writers", names(m->writers().get())},
          {"directors", names(m->directors().get())},
          {"creators", names(m->creators().get())}};
}

// Settled: scores or a message shown, no animation or lookup running.
bool settled(CXEnhancedRatingViewContainer* strip) {
  if (!strip || UIView::hasRunningAnimations() || running(strip->certifiedDataTask())) return false;
  nlohmann::json state = stripJson(strip);
  bool rating = !state["rows"].empty() && !state["rows"][0]["icon"].is_null() &&
                strip->firstRatingImageView()->alpha() > 0.99;
  return !state["spinning"].get<bool>() && (rating || state["message"]["visible"].get<bool>());
}

// The strip's bottom edge is at or above the play button's top, in the cell.
bool stripIsAbovePlayButton(CXEnhancedRatingViewContainer* strip) {
  UIView* content = strip->superview();
  if (!content) return false;
  Ref<NSArray> siblings = content->subviews();
  for (const StrongId& sub : *siblings) {
    auto* view = objc_cast<UIView>(sub.get());
    if (!view || view == strip || !std::string_view(view->className()).ends_with("ButtonView")) continue;
    return strip->frame().origin.y + strip->frame().size.height <= view->frame().origin.y + 0.5;
  }
  return false;
}

// Nothing will change any more: no queued work or timer, animation, spinner
// or lookup. (A film on the older page's cell route stays blank this way.)
bool idle(CXEnhancedRatingViewContainer* strip) {
  if (dispatch::MainRunLoop::pendingCount() > 0 || UIView::hasRunningAnimations()) return false;
  return !strip || (!strip->loadingIndicatorView()->isAnimating() && !running(strip->ratingDataTask()) &&
                    !running(strip->certifiedDataTask()));
}

// The older page shows title and facts in its summary cell, not in cells of their own.
std::string metadataLineOf(const host::TitlePage& page) {
  if (Ref<host::NFUIVideoDisplayPage> legacy = page.legacyPage())
    return legacy->content() ? legacy->content()->metadataLine : "";
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Metadata && !cell.texts.empty()) return cell.texts.front();
  return "";
}

std::string titleOf(const host::TitlePage& page) {
  if (Ref<host::NFUIVideoDisplayPage> legacy = page.legacyPage())
    return legacy->content() ? legacy->content()->title.title : "";
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Title && !cell.texts.empty()) return cell.texts.back();
  return "";
}

// view's frame in the window's points.
nlohmann::json windowFrame(UIView* view) {
  CGRect f = view->frame();
  for (Ref<UIView> up = view->superview(); up; up = up->superview()) {
    f.origin.x += up->frame().origin.x - up->bounds().origin.x;
    f.origin.y += up->frame().origin.y - up->bounds().origin.y;
  }
  return nlohmann::json::array({f.origin.x, f.origin.y, f.size.width, f.size.height});
}

// The collection view cell that holds view, or nil.
UICollectionViewCell* cellHolding(UIView* view) {
  for (UIView* v = view; v; v = v->superview().get())
    if (auto* cell = objc_cast<UICollectionViewCell>(v)) return cell;
  return nullptr;
}

// What the strip shows, in a few words: "tomato 87%, popcorn 55%", the message, "blank".
std::string stripSummary(const nlohmann::json& strip) {
  if (strip.is_null()) return "no strip";
  std::string out;
  for (const auto& row : strip["rows"]) {
    if (row["icon"].is_null()) continue;
    out += (out.empty() ? "" : ", ") + row["icon"].get<std::string>();
    if (row["textVisible"].get<bool>() && !row["text"].is_null()) out += " " + row["text"].get<std::string>();
  }
  if (strip["message"]["visible"].get<bool>() && !strip["message"]["text"].is_null())
    out += (out.empty() ? "" : "; ") + strip["message"]["text"].get<std::string>();
  if (out.empty()) out = strip["spinning"].get<bool>() ? "loading" : "blank";
  return out;
}

}  // namespace cli::demo
