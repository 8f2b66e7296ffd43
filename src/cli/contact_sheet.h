#pragma once
// The sweep's contact sheet: every page's picture, small, in a grid, each
// labelled with its host version, device, title and what the strip showed;
// pages with layout warnings framed in red. Pages come in sweep order (by
// version, then device, then title), a version's pages side by side.

#include <string>
#include <vector>

namespace cli::demo {

struct SheetPage {
  std::string picture;  // the page's PNG file; a missing one leaves its place empty
  std::string version, device, title, shows;
  size_t warnings = 0;
};

// Writes the sheet to path whole or not at all (a file beside it, then
// renamed over). False with a reason in *error when it cannot be written.
bool writeContactSheet(const std::string& path, const std::vector<SheetPage>& pages, std::string* error);

}  // namespace cli::demo
