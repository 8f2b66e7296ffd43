#include "cli/strip_report.h"

#include <fmt/format.h>

#include <cmath>

#include "cli/report.h"

namespace cli {
namespace {

struct RowViews {
  UIImageView* icon;
  UILabel* label;
  UIProgressView* meter;
};

bool shown(const UIView* view) { return view->alpha() > 0 && !view->isHidden(); }

nlohmann::json textOrNull(const NSString* text) { return text ? nlohmann::json(utf8(text)) : nlohmann::json(nullptr); }

nlohmann::json iconName(const UIImageView* view) {
  UIImage* image = view->image();
  return image && image->name() ? nlohmann::json(utf8(image->name())) : nlohmann::json(nullptr);
}

nlohmann::json frameJson(const UIView* view) {
  CGRect f = view->frame();
  return nlohmann::json::array({f.origin.x, f.origin.y, f.size.width, f.size.height});
}

std::vector<RowViews> rowsOf(const CXEnhancedRatingViewContainer* strip) {
  std::vector<RowViews> rows{
      {strip->firstRatingImageView(), strip->firstRatingPercentageLabel(), strip->firstRatingMeterProgressView()}};
  if (strip->isTwoRowForm())
    rows.push_back(
        {strip->secondRatingImageView(), strip->secondRatingPercentageLabel(), strip->secondRatingMeterProgressView()});
  return rows;
}

bool messageShown(const CXEnhancedRatingViewContainer* strip) {
  const NSString* text = strip->messageLabel()->text();
  bool content = (text && text->length() > 0) || strip->messageImageView()->image();
  return content && shown(strip->messageLabel());
}

}  // namespace

nlohmann::json stripJson(const CXEnhancedRatingViewContainer* strip) {
  nlohmann::json j;
  j["height"] = strip->frame().size.height;
  j["form"] = strip->isTwoRowForm() ? "two-row" : "one-row";
  nlohmann::json rows = nlohmann::json::array();
  for (const RowViews& row : rowsOf(strip)) {
    rows.push_back({
        {"icon", iconName(row.icon)},
        {"text", textOrNull(row.label->text())},
        {"textVisible", shown(row.label)},
        // The bar holds a float; four places keep 0.87 from printing as 0.8700000047683716.
        {"meterProgress", std::round(static_cast<double>(row.meter->progress()) * 1e4) / 1e4},
        {"meterVisible", shown(row.meter)},
        {"iconFrame", frameJson(row.icon)},
        {"textFrame", frameJson(row.label)},
        {"meterFrame", frameJson(row.meter)},
    });
  }
  j["rows"] = std::move(rows);
  j["message"] = {
      {"text", textOrNull(strip->messageLabel()->text())},
      {"icon", iconName(strip->messageImageView())},
      {"visible", messageShown(strip)},
  };
  j["spinning"] = strip->loadingIndicatorView()->isAnimating();
  Ref<NSURL> url = strip->ratingURL();
  j["url"] = url ? nlohmann::json(utf8(url->absoluteString().get())) : nlohmann::json(nullptr);
  return j;
}

std::string stripText(const CXEnhancedRatingViewContainer* strip) {
  CGRect f = strip->frame();
  std::string out = fmt::format("{} strip, {:g} x {:g} points\n", strip->isTwoRowForm() ? "Two-row" : "One-row",
                                f.size.width, f.size.height);
  bool any = false;
  for (const RowViews& row : rowsOf(strip)) {
    if (!shown(row.icon)) continue;
    any = true;
    nlohmann::json name = iconName(row.icon);
    std::string line = fmt::format("  {:<14}", name.is_null() ? "(no icon)" : name.get<std::string>());
    line += fmt::format(" {:>4}", shown(row.label) ? utf8(row.label->text()) : std::string());
    if (shown(row.meter)) line += " " + meterBar(row.meter->progress() * 100.0);
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
  }
  if (messageShown(strip)) {
    any = true;
    nlohmann::json name = iconName(strip->messageImageView());
    out += fmt::format("  {:<14} {}\n", name.is_null() ? "(no icon)" : name.get<std::string>(),
                       utf8(strip->messageLabel()->text()));
  }
  if (strip->loadingIndicatorView()->isAnimating()) {
    any = true;
    out += "  (loading)\n";
  }
  if (!any) out += "  (blank)\n";
  if (Ref<NSURL> url = strip->ratingURL()) out += fmt::format("  Tap opens {}\n", utf8(url->absoluteString().get()));
  return out;
}

}  // namespace cli
