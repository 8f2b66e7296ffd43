#include "scorelens/hooks/display/NFUIDisplayPageAboveTheFoldSummaryCell.h"

namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell {

IMP saved_awakeFromNib;
IMP saved_dealloc;

void awakeFromNib(id self, SEL _cmd) {
  imp_call<void>(saved_awakeFromNib, self, _cmd);
}

void dealloc(id self, SEL _cmd) {
  imp_call<void>(saved_dealloc, self, _cmd);
}

}  // namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell
