#pragma once
// What a rating strip shows, for people (text) and scripts (JSON): its form,
// each row's icon, percentage text and meter with their frames, the message,
// the spinner and the page a tap opens. The preview and the demo print it.
//
// Main thread (it reads views). Lay the strip out first (layoutIfNeeded) for
// frames that match its contents; values are the model values, so let the
// animations end first for what a person would finally see.

#include <nlohmann/json.hpp>
#include <string>

#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace cli {

// {"height", "form": "one-row" | "two-row", "rows": [{"icon", "text",
// "textVisible", "meterProgress", "meterVisible", "iconFrame": [x, y, w, h],
// "textFrame", "meterFrame"}], "message": {"text", "icon", "visible"},
// "spinning", "url"}. One entry in "rows" per row of the form. An icon is the
// name of the image shown (null without one); absent values are null. The
// message counts as visible when it is faded in and has a text or an icon.
nlohmann::json stripJson(const CXEnhancedRatingViewContainer* strip);

// One line per visible row: icon name, percentage text (when shown) and a
// text meter bar (when shown); then the message and the spinner when shown.
std::string stripText(const CXEnhancedRatingViewContainer* strip);

}  // namespace cli
