// LoadBmp on any bytes. A refused file is "Bitmap image is not valid" and leaves the surface
// as it was; a taken one has a size within the limits, loads to the same pixels every time
// (no uninitialised memory) and saves to a file that loads back to the same pixels.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const render::Surface before = fuzz::PatternPicture(3, 2);
  const std::filesystem::path file = fuzz::WriteInput("picture.bmp", data, size);

  render::Surface picture = before;
  try {
    picture.LoadBmp(file);
  } catch (const world::FileError& e) {
    FUZZ_CHECK(std::string(e.what()) == "Bitmap image is not valid" && picture == before);
    return 0;
  }
  const int64_t width = picture.Width(), height = picture.Height();
  FUZZ_CHECK(width >= 1 && height >= 1 && width <= 30000 && height <= 30000 && width * height <= 200'000'000);
  // Large pictures take too long to load twice and save on every run.
  if (width * height > (1 << 20)) return 0;
  render::Surface again, back;
  again.LoadBmp(file);
  FUZZ_CHECK(again == picture);
  picture.SaveBmp(fuzz::ScratchFolder() / "saved.bmp");
  back.LoadBmp(fuzz::ScratchFolder() / "saved.bmp");
  FUZZ_CHECK(back == picture);
  return 0;
}
