#include "render/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace render {

namespace {

using world::Color;

static_assert(std::endian::native == std::endian::little, "plain 24-bit pixels are read as little-endian words");

constexpr int64_t FileHeaderBytes = 14;
constexpr int32_t CoreHeaderBytes = 12, InfoHeaderBytes = 40, Os2HeaderBytes = 64, V4HeaderBytes = 108,
                  V5HeaderBytes = 124;
constexpr uint32_t Uncompressed = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3;
constexpr Color White = 0xFFFFFF;

uint32_t Le16At(std::span<const uint8_t> bytes, size_t at) { return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8; }
uint32_t Le32At(std::span<const uint8_t> bytes, size_t at) { return Le16At(bytes, at) | Le16At(bytes, at + 2) << 16; }

BmpPicture Refused(BmpFault fault) { return BmpPicture{fault, 0, 0, {}}; }

// How far a file's layout vouches for its pixels.
enum class Layout {
  // One of the usual headers (12, 40, 108 or 124 bytes), no compression, no more colours than
  // the bits can index, the pixels where the header says and every row there, padding included.
  Complete,
  // The same, but rows or their padding are missing: refused.
  Missing,
  // Run-length compressed with a usual header: a pixel the runs leave out takes colour 0.
  Compressed,
  // Anything else. Its rows are found as the reading below finds them; a pixel that the file
  // lacks is taken only where any index would give it the same colour (see LeftOut).
  Unusual,
};

Layout LayoutOf(std::span<const uint8_t> bytes) {
  const int64_t size = int64_t(bytes.size());
  if (size < FileHeaderBytes + CoreHeaderBytes) return Layout::Unusual;
  const uint32_t dataOffset = Le32At(bytes, 10);
  const uint32_t headerBytes = Le32At(bytes, 14);
  int64_t width, height, colourEntryBytes, maskBytes = 0;
  uint32_t bitsPerPixel, compression = Uncompressed, colours = 0;
  if (headerBytes == CoreHeaderBytes) {
    width = Le16At(bytes, 18);
    height = int16_t(Le16At(bytes, 20));
    bitsPerPixel = Le16At(bytes, 24);
    colourEntryBytes = 3;
  } else if (headerBytes == InfoHeaderBytes || headerBytes == V4HeaderBytes || headerBytes == V5HeaderBytes) {
    if (size < FileHeaderBytes + InfoHeaderBytes) return Layout::Missing;
    width = int32_t(Le32At(bytes, 18));
    height = int32_t(Le32At(bytes, 22));
    bitsPerPixel = Le16At(bytes, 28);
    compression = Le32At(bytes, 30);
    colours = Le32At(bytes, 46);
    colourEntryBytes = 4;
    // The colour masks follow a plain info header; the later headers hold them inside.
    if (headerBytes == InfoHeaderBytes && compression == Bitfields) maskBytes = 12;
  } else {
    return Layout::Unusual;
  }
  if (compression != Uncompressed && compression != Bitfields) return Layout::Compressed;
  width = std::abs(width);
  height = std::abs(height);
  if (width > MaxBmpSide || height > MaxBmpSide) return Layout::Unusual;  // refused by size anyway
  int64_t colourTableBytes = 0;
  if (bitsPerPixel <= 8) {
    if (colours > (1u << bitsPerPixel)) return Layout::Unusual;
    colourTableBytes = int64_t(colours ? colours : 1u << bitsPerPixel) * colourEntryBytes;
  } else if (colours != 0) {
    return Layout::Unusual;
  }
  const int64_t headersEnd = FileHeaderBytes + headerBytes + maskBytes + colourTableBytes;
  if (dataOffset < headersEnd || dataOffset > size) return Layout::Unusual;
  const int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
  return dataOffset + rowBytes * height <= size ? Layout::Complete : Layout::Missing;
}

// Whether the file is an uncompressed 24-bit picture with the plain 54-byte headers, the form
// map pictures come in. These alone may have up to MaxBmpPixels.
bool IsPlain24Bit(std::span<const uint8_t> bytes) {
  constexpr size_t HeaderBytes = 14 + 40;
  if (bytes.size() < HeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const int64_t w = int32_t(Le32At(bytes, 18)), h = int32_t(Le32At(bytes, 22));
  // Pixels right after the headers, one plane, 24 bits, no compression, no colour table.
  return Le32At(bytes, 10) == HeaderBytes && Le32At(bytes, 14) == 40 && Le16At(bytes, 26) == 1 &&
         Le16At(bytes, 28) == 24 && Le32At(bytes, 30) == 0 && Le32At(bytes, 46) == 0 && w > 0 && h != 0;
}

// Plain 24-bit pixels, read a word at a time: the map picture is read at every start.
BmpPicture DecodePlain24Bit(std::span<const uint8_t> bytes) {
  constexpr int64_t HeaderBytes = 14 + 40;
  const int64_t w = int32_t(Le32At(bytes, 18)), h = int32_t(Le32At(bytes, 22));
  const bool topDown = h < 0;
  const int64_t rows = topDown ? -h : h;
  if (w > MaxBmpSide || rows > MaxBmpSide || w * rows > MaxBmpPixels) return Refused(BmpFault::TooLarge);
  const int64_t rowBytes = (w * 3 + 3) & ~int64_t(3);
  if (HeaderBytes + rowBytes * rows > int64_t(bytes.size())) return Refused(BmpFault::MissingPixels);

  BmpPicture picture{BmpFault::None, int(w), int(rows), std::vector<Color>(size_t(w) * size_t(rows))};
  const uint8_t* data = bytes.data() + HeaderBytes;
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* in = data + (topDown ? y : rows - 1 - y) * rowBytes;
    Color* out = picture.pixels.data() + y * w;
    // Blue, green, red taken four bytes at a time, but for the last pixel of the row, whose
    // fourth byte may lie past the end of the file.
    for (int64_t x = 0; x + 1 < w; ++x, in += 3) {
      uint32_t bgr;
      std::memcpy(&bgr, in, sizeof bgr);
      out[x] = __builtin_bswap32(bgr << 8);
    }
    out[w - 1] = world::Rgb(in[2], in[1], in[0]);
  }
  return picture;
}

struct Header {
  int64_t dataOffset = 0;  // from the file's start; may be anything
  int32_t size = 0;        // of the info header, as the file says
  int64_t fieldsEnd = 0;   // where the fields that are read end
  int64_t width = 0, height = 0;  // height negative for top-down rows
  int bits = 0;
  uint32_t compression = Uncompressed;
  int64_t colours = 0;  // colours used; 0 for as many as the bits can index
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha, in the 108 and 124-byte headers
};

// A header of any size other than 40, 64, 108 and 124 bytes is read as the 12-byte one (16-bit
// sizes, no compression) but keeps its stated size, which says where the colour table starts.
std::optional<Header> ReadHeader(std::span<const uint8_t> bytes) {
  const int64_t size = int64_t(bytes.size());
  if (size < FileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  Header h;
  h.dataOffset = int32_t(Le32At(bytes, 10));
  h.size = int32_t(Le32At(bytes, 14));
  if (h.size == InfoHeaderBytes || h.size == Os2HeaderBytes || h.size == V4HeaderBytes || h.size == V5HeaderBytes) {
    // Of the 64-byte header only the fields it shares with the 40-byte one are known.
    h.fieldsEnd = FileHeaderBytes + (h.size >= V4HeaderBytes ? h.size : InfoHeaderBytes);
    if (size < h.fieldsEnd) return std::nullopt;
    h.width = int32_t(Le32At(bytes, 18));
    h.height = int32_t(Le32At(bytes, 22));
    if (Le16At(bytes, 26) != 1) return std::nullopt;  // planes
    h.bits = int16_t(Le16At(bytes, 28));
    h.compression = Le32At(bytes, 30);
    h.colours = int32_t(Le32At(bytes, 46));
    if (h.size >= V4HeaderBytes)
      for (size_t i = 0; i < 4; ++i) h.masks[i] = Le32At(bytes, 54 + 4 * i);
  } else {
    h.fieldsEnd = FileHeaderBytes + CoreHeaderBytes;
    if (size < h.fieldsEnd) return std::nullopt;
    h.width = int16_t(Le16At(bytes, 18));
    h.height = int16_t(Le16At(bytes, 20));
    if (Le16At(bytes, 22) != 1) return std::nullopt;  // planes
    h.bits = int16_t(Le16At(bytes, 24));
  }
  const int bits = h.bits;
  const uint32_t comp = h.compression;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
  if (!(comp == Uncompressed || (bits == 4 && comp == Rle4) || (bits == 8 && comp == Rle8) ||
        ((bits == 16 || bits == 32) && comp == Bitfields)))
    return std::nullopt;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return std::nullopt;
  return h;
}

// The file read front to back from a place that can be moved.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes, int64_t at) : bytes_(bytes), at_(at) {}
  int64_t At() const { return at_; }
  int64_t Left() const { return int64_t(bytes_.size()) - at_; }
  bool AtEnd() const { return Left() <= 0; }
  // A place outside the file leaves the reading where it is.
  void MoveTo(int64_t at) {
    if (at >= 0 && at <= int64_t(bytes_.size())) at_ = at;
  }
  // The next `count` bytes, which the caller has made sure are there.
  const uint8_t* Take(int64_t count) {
    const uint8_t* p = bytes_.data() + at_;
    at_ += count;
    return p;
  }
  bool Next(uint8_t& byte) {
    if (AtEnd()) return false;
    byte = bytes_[size_t(at_++)];
    return true;
  }
  void Skip(int64_t count) { at_ = std::min<int64_t>(at_ + count, int64_t(bytes_.size())); }

 private:
  std::span<const uint8_t> bytes_;
  int64_t at_;
};

// One colour of a masked pixel: its bits moved down and scaled to 0..255 by an integer factor,
// so that a 5-bit channel gives 0, 8 .. 248. Channels of more than 8 bits give 0.
struct Channel {
  uint32_t mask = 0, shift = 0, scale = 0;
  static std::optional<Channel> Of(uint32_t mask) {
    const uint32_t shift = mask ? uint32_t(std::countr_zero(mask)) : 0;
    if ((mask >> shift) == 0xFFFFFFFFu) return std::nullopt;  // no room for the scale
    return Channel{mask, shift, 256 / ((mask >> shift) + 1)};
  }
  uint32_t operator()(uint32_t pixel) const { return ((pixel & mask) >> shift) * scale & 0xFF; }
};

// What a pixel that the file lacks would be: whatever its index or colour bits start as. A
// picture that leaves one out is taken with the colour for all zero bits; an Unusual one only
// where all one bits would give the same.
struct LeftOut {
  Color ifZero = 0, ifOnes = 0;
  bool any = false;
};

class Decoding {
 public:
  Decoding(std::span<const uint8_t> bytes, const Header& header, Reader& reader)
      : bytes_(bytes), h_(header), in_(reader), width_(header.width), height_(std::abs(header.height)),
        topDown_(header.height < 0), pixels_(size_t(width_) * size_t(height_)) {}

  BmpFault Run(Layout layout) {
    // The colour table or masks follow the header by its stated size, wherever that is.
    in_.MoveTo(FileHeaderBytes + h_.size);
    if (h_.bits <= 8) {
      if (BmpFault fault = ReadColourTable(); fault != BmpFault::None) return fault;
    } else if (h_.compression == Bitfields) {
      if (!ReadMasks()) return BmpFault::NotValid;
    } else if (h_.bits == 16) {
      channels_ = {Channel{0x7C00, 7, 1}, Channel{0x03E0, 2, 1}, Channel{0x001F, 0, 8}};
    } else {
      channels_ = {Channel{0xFF0000, 16, 1}, Channel{0x00FF00, 8, 1}, Channel{0x0000FF, 0, 1}};
    }
    // The pixels start where the file header says, unless that lies within what has been read
    // or past the end of the file: then right here.
    if (h_.dataOffset > in_.At()) in_.MoveTo(h_.dataOffset);

    if (h_.compression == Rle4 || h_.compression == Rle8) {
      if (const BmpFault fault = ReadRuns(h_.compression == Rle4); fault != BmpFault::None) return fault;
    } else if (h_.bits == 1) {
      ReadMono();
    } else if (h_.bits == 4) {
      ReadNibbles();
    } else if (h_.bits == 8) {
      ReadBytes();
    } else {
      ReadMasked();
    }
    if (leftOut_.any && layout == Layout::Unusual && leftOut_.ifZero != leftOut_.ifOnes)
      return BmpFault::MissingPixels;
    return BmpFault::None;
  }

  std::vector<Color> TakePixels() { return std::move(pixels_); }

 private:
  BmpFault ReadColourTable() {
    const int64_t count = h_.colours ? h_.colours : int64_t(1) << h_.bits;
    if (count < 1 || count > 256) return BmpFault::NotValid;
    const int64_t entryBytes = h_.size == CoreHeaderBytes ? 3 : 4;
    for (int64_t i = 0; i < count; ++i) {
      if (in_.Left() < entryBytes) return BmpFault::NotValid;
      const uint8_t* entry = in_.Take(entryBytes);
      table_[size_t(i)] = world::Rgb(entry[2], entry[1], entry[0]);
      // A table that ends the file leaves no room for pixels.
      if (in_.AtEnd()) return BmpFault::NotValid;
    }
    return BmpFault::None;
  }

  bool ReadMasks() {
    std::array<uint32_t, 4> masks = h_.masks;
    if (h_.size < V4HeaderBytes) {
      // Red, green and blue follow the header; there is no alpha.
      for (size_t i = 0; i < 3; ++i) {
        if (in_.Left() < 4) return false;
        const uint8_t* mask = in_.Take(4);
        masks[i] = uint32_t(mask[0]) | uint32_t(mask[1]) << 8 | uint32_t(mask[2]) << 16 | uint32_t(mask[3]) << 24;
      }
    }
    // The alpha mask is checked like the others, though transparency is no colour here.
    for (size_t i = 0; i < 4; ++i) {
      const std::optional<Channel> channel = Channel::Of(masks[i]);
      if (!channel) return false;
      if (i < 3) channels_[i] = *channel;
    }
    return true;
  }

  int64_t RowBytes() const { return (width_ * h_.bits + 31) / 32 * 4; }
  // Rows are stored bottom-up unless the height is negative.
  Color* OutRow(int64_t fileRow) {
    return pixels_.data() + size_t(topDown_ ? fileRow : height_ - 1 - fileRow) * size_t(width_);
  }
  // How many bytes of file row `row` the file holds, from 0 to the whole row, and where.
  int64_t BytesOfRow(int64_t pixelsStart, int64_t row) const {
    const int64_t rowBytes = RowBytes();
    return std::clamp<int64_t>(int64_t(bytes_.size()) - pixelsStart - row * rowBytes, 0, rowBytes);
  }
  const uint8_t* RowAt(int64_t pixelsStart, int64_t row) const {
    return bytes_.data() + pixelsStart + row * RowBytes();
  }
  void LeaveOut(Color* from, Color* to, Color ifZero, Color ifOnes) {
    if (from >= to) return;
    std::fill(from, to, ifZero);
    leftOut_ = {ifZero, ifOnes, true};
  }

  // Rows are taken whole or, for 1 and 8 bits, as far as the file goes.
  void ReadMono() {
    const int64_t start = in_.At();
    for (int64_t row = 0; row < height_; ++row) {
      const int64_t have = BytesOfRow(start, row);
      Color* out = OutRow(row);
      const int64_t known = std::min(width_, have * 8);
      if (known > 0) {
        const uint8_t* in = RowAt(start, row);
        for (int64_t x = 0; x < known; ++x) out[x] = table_[in[x >> 3] >> (7 - (x & 7)) & 1];
      }
      LeaveOut(out + known, out + width_, table_[0], table_[1]);
    }
  }

  void ReadBytes() {
    const int64_t start = in_.At();
    for (int64_t row = 0; row < height_; ++row) {
      const int64_t have = BytesOfRow(start, row);
      Color* out = OutRow(row);
      const int64_t known = std::min(width_, have);
      if (known > 0) {
        const uint8_t* in = RowAt(start, row);
        for (int64_t x = 0; x < known; ++x) out[x] = table_[in[x]];
      }
      LeaveOut(out + known, out + width_, table_[0], table_[255]);
    }
  }

  // A 4-bit row the file lacks, even in part, is all index 0.
  void ReadNibbles() {
    const int64_t start = in_.At();
    for (int64_t row = 0; row < height_; ++row) {
      Color* out = OutRow(row);
      if (BytesOfRow(start, row) < RowBytes()) {
        std::fill(out, out + width_, table_[0]);
        continue;
      }
      const uint8_t* in = RowAt(start, row);
      for (int64_t x = 0; x < width_; ++x) out[x] = table_[x & 1 ? in[x >> 1] & 0x0F : in[x >> 1] >> 4];
    }
  }

  // 16, 24 and 32 bits: a row the file lacks in part is missing as a whole.
  void ReadMasked() {
    const int64_t start = in_.At();
    const int64_t pixelBytes = h_.bits / 8;
    for (int64_t row = 0; row < height_; ++row) {
      Color* out = OutRow(row);
      if (BytesOfRow(start, row) < RowBytes()) {
        LeaveOut(out, out + width_, 0, White);
        continue;
      }
      const uint8_t* in = RowAt(start, row);
      if (h_.bits == 24) {  // red, green and blue bytes whatever the channels
        for (int64_t x = 0; x < width_; ++x, in += 3) out[x] = world::Rgb(in[2], in[1], in[0]);
        continue;
      }
      for (int64_t x = 0; x < width_; ++x, in += pixelBytes) {
        uint32_t pixel = uint32_t(in[0]) | uint32_t(in[1]) << 8;
        if (pixelBytes == 4) pixel |= uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
        out[x] = world::Rgb(uint8_t(channels_[0](pixel)), uint8_t(channels_[1](pixel)), uint8_t(channels_[2](pixel)));
      }
    }
  }

  // Run-length compressed rows, drawn from the first row in the file like the others. The runs
  // are laid into rows of the width rounded up to whole words; a run longer than what is left of
  // its row goes on into the row's padding and then the row drawn before it, up to the end of
  // the first row. A move past the right edge or the last row stops at it.
  BmpFault ReadRuns(bool nibbles) {
    constexpr int16_t Unset = -1;
    const int64_t stride = (width_ + 3) & ~int64_t(3);
    std::vector<int16_t> indexes(size_t(stride * height_), Unset);
    const int64_t end = (height_ - 1) * stride + width_;
    int64_t at = (height_ - 1) * stride;  // where the next pixel goes
    uint32_t x = 0;  // the column, as far as runs have carried it; wraps like the file's numbers
    int64_t y = 0;   // rows done
    auto put = [&](uint8_t index) { indexes[size_t(at++)] = index; };
    uint8_t b;
    while (y < height_) {
      if (!in_.Next(b)) break;
      if (b == 0) {
        if (!in_.Next(b) || b == 1) break;  // end of the picture
        if (b == 0) {                         // end of the row
          x = 0;
          ++y;
          at = (height_ - y - 1) * stride;
        } else if (b == 2) {  // move right and up
          uint8_t dx, dy;
          if (!in_.Next(dx) || !in_.Next(dy)) break;  // nothing follows to be moved for
          x += dx;
          y += dy;
          if (x >= uint32_t(width_)) x = uint32_t(width_ - 1);
          if (y >= height_) y = height_ - 1;
          at = (height_ - y - 1) * stride + x;
        } else {  // b pixels given one by one, padded to a whole number of words
          const int64_t count = std::min<int64_t>(b, end - at);
          const int64_t dataBytes = nibbles ? (count + 1) / 2 : count;
          if (count > 0 && in_.Left() < dataBytes) return BmpFault::RunCutShort;
          const uint8_t* data = in_.Take(count > 0 ? dataBytes : 0);
          for (int64_t i = 0; i < count; ++i) put(nibbles ? (i & 1 ? data[i / 2] & 0x0F : data[i / 2] >> 4) : data[i]);
          in_.Skip(dataBytes & 1);
          x += uint32_t(count);
        }
      } else {  // b pixels of one index, or of two alternating ones
        const int64_t count = std::min<int64_t>(b, end - at);
        uint8_t data;
        if (!in_.Next(data)) {
          if (count > 0) return BmpFault::RunCutShort;
          break;
        }
        for (int64_t i = 0; i < count; ++i) put(nibbles ? (i & 1 ? data & 0x0F : data >> 4) : data);
        x += uint32_t(count);
      }
    }
    for (int64_t row = 0; row < height_; ++row) {
      // Row `row` from the top of memory is the picture's row from the top, or from the bottom
      // for top-down files.
      const int16_t* in = indexes.data() + row * stride;
      Color* out = pixels_.data() + size_t(topDown_ ? height_ - 1 - row : row) * size_t(width_);
      for (int64_t column = 0; column < width_; ++column) {
        if (in[column] == Unset) {
          LeaveOut(out + column, out + column + 1, table_[0], table_[255]);
        } else {
          out[column] = table_[size_t(in[column])];
        }
      }
    }
    return BmpFault::None;
  }

  std::span<const uint8_t> bytes_;
  const Header& h_;
  Reader& in_;
  int64_t width_, height_;
  bool topDown_;
  std::vector<Color> pixels_;
  std::array<Color, 256> table_{};  // black past the file's colours
  std::array<Channel, 3> channels_{};
  LeftOut leftOut_;
};

}  // namespace

BmpPicture DecodeBmp(std::span<const uint8_t> file) {
  const Layout layout = LayoutOf(file);
  if (layout == Layout::Missing) return Refused(BmpFault::MissingPixels);
  if (IsPlain24Bit(file)) return DecodePlain24Bit(file);

  const std::optional<Header> header = ReadHeader(file);
  if (!header) return Refused(BmpFault::NotValid);
  const int64_t width = header->width, height = std::abs(header->height);
  if (width > MaxBmpSide || height > MaxBmpSide || width * height > MaxBmpPixelsUnlessPlain24Bit)
    return Refused(BmpFault::TooLarge);
  Reader reader(file, header->fieldsEnd);
  if (reader.AtEnd()) return Refused(BmpFault::NotValid);  // a header and nothing else
  Decoding decoding(file, *header, reader);
  if (const BmpFault fault = decoding.Run(layout); fault != BmpFault::None) return Refused(fault);
  return BmpPicture{BmpFault::None, int(width), int(height), decoding.TakePixels()};
}

}  // namespace render
