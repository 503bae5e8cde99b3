// Reading and writing Surface pixels as Windows BMP files.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render/Surface.h"
#include "world/FileError.h"

namespace render {

namespace {

// Pictures larger than this are refused as invalid rather than allocated.
constexpr int MaxBmpSide = 30000;
constexpr int64_t MaxBmpPixels = 200'000'000;

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

world::FileError CannotOpen(const std::filesystem::path& path) {
  return world::FileError("Cannot open file " + PathText(path));
}
world::FileError NotValid() { return world::FileError("Bitmap image is not valid"); }
world::FileError CannotCreate(const std::filesystem::path& path) {
  return world::FileError("Cannot create file " + PathText(path));
}

// Larger files are no picture that could be taken: MaxBmpPixels at 32 bits, and the headers.
constexpr int64_t MaxBmpFileBytes = MaxBmpPixels * 4 + 65536;

enum class FileRead { Read, CannotOpen, TooLarge };

// The whole file; it cannot be opened or read when it is missing, a folder, a pipe or a device,
// or not ours to read.
FileRead ReadWholeFile(const std::filesystem::path& path, QByteArray& bytes) {
  // Not blocking, so that a named pipe cannot hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return FileRead::CannotOpen;
  struct stat info {};
  FileRead result = FileRead::Read;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    result = FileRead::CannotOpen;
  else if (info.st_size > MaxBmpFileBytes)
    result = FileRead::TooLarge;
  char chunk[65536];
  while (result == FileRead::Read) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    if (n < 0) result = FileRead::CannotOpen;
    else if (bytes.size() + n > MaxBmpFileBytes) result = FileRead::TooLarge;  // it grew meanwhile
    else bytes.append(chunk, qsizetype(n));
  }
  ::close(fd);
  return result;
}

uint32_t Le16At(const QByteArray& bytes, qsizetype at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}
uint32_t Le32At(const QByteArray& bytes, qsizetype at) { return Le16At(bytes, at) | Le16At(bytes, at + 2) << 16; }

// Whether an uncompressed picture holds all its pixel rows, padding included. The decoder
// reads as many rows as there are and leaves the others as whatever its memory held.
// Compressed pictures and headers it cannot read are left to the decoder's own judgement.
bool HasAllPixelRows(const QByteArray& bytes) {
  constexpr qsizetype FileHeaderBytes = 14;
  constexpr uint32_t CoreHeaderBytes = 12, InfoHeaderBytes = 40;
  constexpr uint32_t Uncompressed = 0, Bitfields = 3, AlphaBitfields = 6;
  if (bytes.size() < FileHeaderBytes + CoreHeaderBytes) return true;
  const uint32_t dataOffset = Le32At(bytes, 10);
  const uint32_t headerBytes = Le32At(bytes, 14);
  int64_t width, height, colourEntryBytes, maskBytes = 0;
  uint32_t bitsPerPixel, compression = Uncompressed, colours = 0;
  if (headerBytes == CoreHeaderBytes) {
    width = Le16At(bytes, 18);
    height = int16_t(Le16At(bytes, 20));
    bitsPerPixel = Le16At(bytes, 24);
    colourEntryBytes = 3;
  } else {
    if (headerBytes < InfoHeaderBytes || bytes.size() < FileHeaderBytes + InfoHeaderBytes) return true;
    width = int32_t(Le32At(bytes, 18));
    height = int32_t(Le32At(bytes, 22));
    bitsPerPixel = Le16At(bytes, 28);
    compression = Le32At(bytes, 30);
    colours = Le32At(bytes, 46);
    colourEntryBytes = 4;
    // The colour masks follow a plain info header; later headers hold them inside.
    if (headerBytes == InfoHeaderBytes && compression == Bitfields) maskBytes = 12;
    if (headerBytes == InfoHeaderBytes && compression == AlphaBitfields) maskBytes = 16;
  }
  if (compression != Uncompressed && compression != Bitfields && compression != AlphaBitfields) return true;
  width = std::abs(width);
  height = std::abs(height);
  if (width > MaxBmpSide || height > MaxBmpSide) return true;  // refused by size anyway
  int64_t colourTableBytes = 0;
  if (bitsPerPixel <= 8) {
    if (colours == 0 || colours > (1u << bitsPerPixel)) colours = 1u << bitsPerPixel;
    colourTableBytes = int64_t(colours) * colourEntryBytes;
  }
  const int64_t dataStart = std::max<int64_t>(dataOffset, FileHeaderBytes + headerBytes + maskBytes + colourTableBytes);
  const int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
  return dataStart + rowBytes * height <= bytes.size();
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// A file beside the target, created exclusively so that a concurrent save cannot share it.
int CreateTempBeside(const std::filesystem::path& target, std::filesystem::path& temp) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                     std::to_string(counter++) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

void Surface::LoadBmp(const std::filesystem::path& path) {
  QByteArray bytes;
  switch (ReadWholeFile(path, bytes)) {
    case FileRead::CannotOpen: throw CannotOpen(path);
    case FileRead::TooLarge: throw NotValid();
    case FileRead::Read: break;
  }
  if (!HasAllPixelRows(bytes)) throw NotValid();

  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  // Only a real BMP is accepted, whatever else the bytes might decode as.
  reader.setAutoDetectImageFormat(false);
  // A top-down picture reports its height negative, as its header stores it.
  const QSize size = reader.size();
  const int64_t width = std::abs(int64_t(size.width())), height = std::abs(int64_t(size.height()));
  if (width > MaxBmpSide || height > MaxBmpSide || width * height > MaxBmpPixels) throw NotValid();
  QImage image;
  if (!reader.read(&image) || image.isNull()) throw NotValid();
  image.convertTo(QImage::Format_RGB32);

  std::vector<Color> pixels(size_t(image.width()) * size_t(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    Color* out = pixels.data() + size_t(y) * image.width();
    for (int x = 0; x < image.width(); ++x)
      out[x] = world::Rgb(uint8_t(qRed(line[x])), uint8_t(qGreen(line[x])), uint8_t(qBlue(line[x])));
  }
  width_ = image.width();
  height_ = image.height();
  pixels_ = std::move(pixels);
  contentId_ = 0;
}

// A 24-bit bottom-up BMP, written straight from the pixels. The target is replaced by renaming
// a complete new file over it, so a failed save leaves the old picture as it was.
void Surface::SaveBmp(const std::filesystem::path& path) const {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  // Root may write anywhere, so a read-only target is refused here rather than by the system.
  if (existed && (S_ISDIR(old.st_mode) || (old.st_mode & 0222) == 0)) throw CannotCreate(path);
  // So is a folder without any write bit.
  struct stat folder {};
  if (::stat(path.has_parent_path() ? path.parent_path().c_str() : ".", &folder) == 0 && (folder.st_mode & 0222) == 0)
    throw CannotCreate(path);

  const uint64_t rowBytes = (uint64_t(width_) * 3 + 3) & ~uint64_t(3);
  const uint64_t imageBytes = rowBytes * uint64_t(height_);
  constexpr uint32_t headerBytes = 14 + 40;
  if (headerBytes + imageBytes > 0xFFFFFFFFu) throw CannotCreate(path);

  std::vector<uint8_t> out;
  out.reserve(1 << 20);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, uint32_t(headerBytes + imageBytes));
  PutLe32(out, 0);  // reserved
  PutLe32(out, headerBytes);
  PutLe32(out, 40);  // BITMAPINFOHEADER
  PutLe32(out, uint32_t(width_));
  PutLe32(out, uint32_t(height_));  // positive: bottom-up
  PutLe16(out, 1);                  // planes
  PutLe16(out, 24);                 // bits per pixel
  PutLe32(out, 0);                  // BI_RGB
  PutLe32(out, uint32_t(imageBytes));
  PutLe32(out, 3780);  // 96 dots per inch
  PutLe32(out, 3780);
  PutLe32(out, 0);  // colours used
  PutLe32(out, 0);  // important colours

  std::filesystem::path temp;
  const int fd = CreateTempBeside(path, temp);
  if (fd < 0) throw CannotCreate(path);
  bool ok = true;
  for (int y = height_ - 1; y >= 0 && ok; --y) {
    const Color* row = Row(y);
    for (int x = 0; x < width_; ++x) {
      out.push_back(uint8_t(world::BlueOf(row[x])));
      out.push_back(uint8_t(world::GreenOf(row[x])));
      out.push_back(uint8_t(world::RedOf(row[x])));
    }
    out.resize(out.size() + (rowBytes - uint64_t(width_) * 3), 0);
    if (out.size() >= (1 << 20)) {
      ok = WriteAll(fd, out.data(), out.size());
      out.clear();
    }
  }
  ok = ok && WriteAll(fd, out.data(), out.size());
  if (ok && existed) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    throw CannotCreate(path);
  }
}

}  // namespace render
