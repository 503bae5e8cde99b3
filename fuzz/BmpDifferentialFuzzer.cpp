// The BMP decoder against the editor's former Qt-based reading on any bytes: both refuse the
// file, or both take it with the same size and pixels, but for the files the witness cannot
// judge (see render::testing::Verdict), which the decoder must refuse.

#include <QtGlobal>

#include "FuzzSupport.h"
#include "QtBmpWitness.h"
#include "render/BmpDecoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Qt's warnings about the files it is fed would fill the log.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The decoder reads the fuzzer's own buffer, of exactly the file's size, so that a read past
  // the end is caught.
  const render::BmpPicture ours = render::DecodeBmp({data, size});
  const std::string file(reinterpret_cast<const char*>(data), size);
  const render::testing::WitnessPicture witness = render::testing::QtBmpWitness(file);
  FUZZ_CHECK(render::testing::Compare(file, ours, witness) != render::testing::Verdict::Differ);
  if (ours.fault == render::BmpFault::None) {
    FUZZ_CHECK(ours.width >= 1 && ours.height >= 1 && ours.width <= render::MaxBmpSide &&
               ours.height <= render::MaxBmpSide);
    FUZZ_CHECK(ours.pixels.size() == size_t(ours.width) * size_t(ours.height));
  }
  return 0;
}
