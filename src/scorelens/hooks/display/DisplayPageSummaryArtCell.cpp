#include "scorelens/hooks/display/DisplayPageSummaryArtCell.h"

namespace hooks::DisplayPageSummaryArtCell {

IMP saved_awakeFromNib;
IMP saved_calculatedSize;
IMP saved_dealloc;

void awakeFromNib(id self, SEL _cmd) {
  imp_call<void>(saved_awakeFromNib, self, _cmd);
}

CGSize calculatedSize(id self, SEL _cmd, CGSize size) {
  return imp_call<CGSize>(saved_calculatedSize, self, _cmd, size);
}

void dealloc(id self, SEL _cmd) {
  imp_call<void>(saved_dealloc, self, _cmd);
}

}  // namespace hooks::DisplayPageSummaryArtCell
