// The search service's answer, decoded, matched against a title's facts and
// turned into a rating. Input: one byte choosing which facts the model has,
// the title on the first line, then the answer's body.

#include "fuzz_input.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSValue.h"
#include "scorelens/lookup/answers.h"

namespace {

Ref<NSArray> names(std::initializer_list<const char*> list) {
  Ref<NSMutableArray> out = NSMutableArray::array();
  for (const char* name : list) out->addObject(NSString::stringWithUTF8String(name));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  const std::uint8_t facts = in.takeByte();
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setVideoId(box(80000001L));
  model->setTitle(fuzz::text(in.takeLine()));
  model->setIsMovie(facts & 1);
  if (facts & 2) model->setReleaseYear(box(1990L + (facts >> 4)));
  if (facts & 4) model->setRuntime(box(60L * (90 + (facts >> 3))));
  if (facts & 8) model->setNumSeasons(facts >> 5);
  if (facts & 16) model->setActors(names({"Al Pacino", "Robert De Niro"}));
  if (facts & 32) model->setDirectors(names({"Michael Mann"}));
  if (facts & 64) model->setWriters(names({"Michael Mann"}));
  if (facts & 128) model->setCreators(names({"Baran bo Odar", "Jantje Friese"}));

  lookup::SearchOutcome outcome = lookup::searchOutcomeFromAnswer(model, fuzz::data(in.rest()), nullptr);
  if (outcome.failed && outcome.rating) fuzz::broken();
  if (CXEnhancedRating* r = outcome.rating.get()) {
    // Whatever the answer held, a rating carries scores a strip can show.
    if (r->hasCriticRating() && !(r->criticRating() >= -1e300 && r->criticRating() <= 1e300)) fuzz::broken();
    if (r->hasAudienceRating() && !(r->audienceRating() >= -1e300 && r->audienceRating() <= 1e300)) fuzz::broken();
  }
  return 0;
}
