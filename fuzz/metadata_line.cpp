// The metadata line of the host's title page ("2019 16+ 2h 10m HD"), read for
// the year, the running time and the season count.

#include "fuzz_input.h"
#include "scorelens/hooks/display/CDSCollectionViewDiffableDataSource.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  Ref<NSString> line = fuzz::text(in.rest());
  if (!line) return 0;
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  hooks::CDSCollectionViewDiffableDataSource::readMetadataLine(model, line);
  if (model->runtime() && model->runtime()->longLongValue() <= 0) fuzz::broken();
  if (model->releaseYear() && (model->releaseYear()->integerValue() < 0 || model->releaseYear()->integerValue() > 9999))
    fuzz::broken();
  return 0;
}
