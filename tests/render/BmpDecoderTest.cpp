// The BMP decoder on small pictures whose pixels are worked out by hand, and on a generated
// corpus of every kind of file, right and wrong, against the editor's former Qt-based reading.

#include "render/BmpDecoder.h"

#include <gtest/gtest.h>

#include <QtGlobal>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "BmpFiles.h"
#include "QtBmpWitness.h"

// The files below name only the fields in which they differ from the default picture.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace render {
namespace {

using testing::BmpFile;
using testing::PackedRows;
using world::Color;
using world::Rgb;

constexpr Color Red = Rgb(0xFF, 0, 0), Green = Rgb(0, 0xFF, 0), Blue = Rgb(0, 0, 0xFF), Grey = Rgb(0x40, 0x41, 0x42),
                Black = 0;

BmpPicture Decode(const std::string& bytes) {
  return DecodeBmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

// The pixels of an accepted picture, top row first, or a note of why it was refused.
std::vector<Color> PixelsOf(const std::string& bytes, int width, int height) {
  const BmpPicture picture = Decode(bytes);
  EXPECT_EQ(picture.fault, BmpFault::None);
  EXPECT_EQ(picture.width, width);
  EXPECT_EQ(picture.height, height);
  return picture.pixels;
}

// Every depth, header and mask is checked against the former reading in the corpus below; this
// pins, without the witness, what an index past a short table gives.
TEST(BmpDecoder, AnIndexPastTheTableIsBlack) {
  // Four bits, the high nibble first; a table of 3 of 16 colours.
  BmpFile nibbles{.width = 3, .height = 1, .bits = 4, .coloursUsed = 3, .table = {Red, Green, Blue}};
  nibbles.pixels = std::string("\x2F\x10\0\0", 4);
  EXPECT_EQ(PixelsOf(nibbles.Bytes(), 3, 1), (std::vector{Blue, Black, Green}));
  // Eight bits, top-down for a negative height.
  BmpFile bytes{.width = 2, .height = -2, .bits = 8, .coloursUsed = 2, .table = {Red, Green}};
  bytes.pixels = std::string("\x01\xC8\0\0\0\x01\0\0", 8);
  EXPECT_EQ(PixelsOf(bytes.Bytes(), 2, 2), (std::vector{Green, Black, Red, Green}));
}

TEST(BmpDecoder, RunLengthCodesFillRowsAndWhatTheyLeaveOutTakesColourZero) {
  // 8 bits, 4 x 3, drawn from the bottom row up:
  //   3 pixels of index 1; end of line; 3 pixels given one by one (2, 0, 1) and a pad byte;
  //   end of line; a move 2 right; 2 pixels of index 2; end of picture.
  BmpFile rle8{.width = 4, .height = 3, .bits = 8, .compression = 1, .coloursUsed = 3, .table = {Red, Green, Blue}};
  rle8.pixels = std::string("\x03\x01\0\0\0\x03\x02\x00\x01\0\0\0\0\x02\x02\0\x02\x02\0\x01", 20);
  EXPECT_EQ(PixelsOf(rle8.Bytes(), 4, 3),
            (std::vector{Red, Red, Blue, Blue, Blue, Red, Green, Red, Green, Green, Green, Red}));
  // Top-down, the first row drawn is the top one.
  rle8.height = -3;
  EXPECT_EQ(PixelsOf(rle8.Bytes(), 4, 3),
            (std::vector{Green, Green, Green, Red, Blue, Red, Green, Red, Red, Red, Blue, Blue}));
  // A run longer than its row stops at the row's end; a move past the right edge or the top
  // row stops at them.
  rle8.height = 2;
  rle8.pixels = std::string("\x09\x02\0\x02\x09\x09\x01\x01\0\x01", 10);
  EXPECT_EQ(PixelsOf(rle8.Bytes(), 4, 2), (std::vector{Red, Red, Red, Green, Blue, Blue, Blue, Blue}));

  // 4 bits, 6 x 2: 4 pixels alternating indexes 1 and 2; end of line; 5 pixels given one by
  // one (1, 2, 0, 1, 2) in 3 bytes and a pad byte; end of picture.
  BmpFile rle4{.width = 6, .height = 2, .bits = 4, .compression = 2, .coloursUsed = 3, .table = {Red, Green, Blue}};
  rle4.pixels = std::string("\x04\x12\0\0\0\x05\x12\x01\x20\0\0\x01", 12);
  EXPECT_EQ(PixelsOf(rle4.Bytes(), 6, 2),
            (std::vector{Green, Blue, Red, Green, Blue, Red, Green, Blue, Green, Blue, Red, Red}));
  // An odd run of 3 in 2 bytes needs no pad byte; the file may end without an end code.
  rle4.pixels = std::string("\0\x03\x12\x10\x02\x20", 6);
  EXPECT_EQ(PixelsOf(rle4.Bytes(), 6, 2),
            (std::vector{Red, Red, Red, Red, Red, Red, Green, Blue, Green, Blue, Red, Red}));
}

TEST(BmpDecoder, RefusesWhatIsNoPictureOrLacksPixels) {
  const BmpFile good{.width = 3, .height = 2, .bits = 8, .coloursUsed = 2, .table = {Red, Green},
                     .pixels = std::string(8, '\1')};
  ASSERT_EQ(Decode(good.Bytes()).fault, BmpFault::None);
  const auto faultOf = [&](auto change) {
    BmpFile file = good;
    change(file);
    return Decode(file.Bytes()).fault;
  };
  EXPECT_EQ(faultOf([](BmpFile& f) { f.bits = 2; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.planes = 2; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.width = 0; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.width = -3; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.height = 0; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.compression = 2; }), BmpFault::NotValid);  // 4-bit runs in 8 bits
  EXPECT_EQ(faultOf([](BmpFile& f) { f.compression = 3; }), BmpFault::NotValid);  // masks for indexes
  EXPECT_EQ(faultOf([](BmpFile& f) { f.coloursUsed = 257; }), BmpFault::NotValid);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.coloursUsed = 3, f.pixels.clear(); }), BmpFault::NotValid);  // a table cut short
  EXPECT_EQ(faultOf([](BmpFile& f) { f.pixels.pop_back(); }), BmpFault::MissingPixels);
  EXPECT_EQ(faultOf([](BmpFile& f) { f.dataOffset = f.PixelsAt() + 1; }), BmpFault::MissingPixels);
  EXPECT_EQ(Decode("BA" + good.Bytes().substr(2)).fault, BmpFault::NotValid);
  EXPECT_EQ(Decode(good.Bytes().substr(0, 53)).fault, BmpFault::MissingPixels);  // a usual header, cut
  // A colour table that ends the file leaves no room for pixels, whatever the layout.
  EXPECT_EQ(faultOf([](BmpFile& f) { f.headerSize = 64, f.pixels.clear(); }), BmpFault::NotValid);

  // A run that the file ends inside.
  const BmpFile rle8{.width = 4, .height = 1, .bits = 8, .compression = 1, .coloursUsed = 2, .table = {Red, Green}};
  const auto runFault = [&](const std::string& runs, int bits) {
    BmpFile file = rle8;
    file.bits = bits;
    file.compression = bits == 8 ? 1 : 2;
    file.pixels = runs;
    return Decode(file.Bytes()).fault;
  };
  EXPECT_EQ(runFault(std::string("\x02", 1), 8), BmpFault::RunCutShort);
  EXPECT_EQ(runFault(std::string("\0\x03\x01\x01", 4), 8), BmpFault::RunCutShort);
  EXPECT_EQ(runFault(std::string("\0\x03\x01", 3), 4), BmpFault::RunCutShort);
  EXPECT_EQ(runFault(std::string("\x02", 1), 4), BmpFault::RunCutShort);
  // ...but not one that would draw nothing, the row being full.
  EXPECT_EQ(runFault(std::string("\x04\x01\x02", 3), 8), BmpFault::None);
}

// A file with an unusual layout may lack pixel rows by accident. Such a pixel is taken only
// where its colour does not depend on what it would have held: 4-bit rows start as index 0,
// and an indexed picture whose first and last colours are the same has that colour there.
TEST(BmpDecoder, PixelsAnUnusualLayoutLacksAreTakenOnlyWhereTheirColourIsCertain) {
  BmpFile file{.headerSize = 64, .width = 2, .height = 2, .bits = 8, .coloursUsed = 2, .table = {Red, Green}};
  file.pixels = std::string("\x01\x00\0\0\x01", 5);
  EXPECT_EQ(Decode(file.Bytes()).fault, BmpFault::MissingPixels);
  file.table = {Black, Green};  // index 255, past the table, is black too
  EXPECT_EQ(PixelsOf(file.Bytes(), 2, 2), (std::vector{Green, Black, Green, Black}));
  file.coloursUsed = 256;
  file.table.resize(256, Grey);
  EXPECT_EQ(Decode(file.Bytes()).fault, BmpFault::MissingPixels);
  file.table[255] = Black;
  EXPECT_EQ(PixelsOf(file.Bytes(), 2, 2), (std::vector{Green, Black, Green, Black}));

  file.bits = 4;
  file.coloursUsed = 2;
  file.table = {Red, Green};
  file.pixels = std::string("\x11\0\0\0\x11\0", 6);
  EXPECT_EQ(PixelsOf(file.Bytes(), 2, 2), (std::vector{Red, Red, Green, Green}));

  file.bits = 24;
  file.table.clear();
  file.coloursUsed = 0;
  file.pixels = std::string(8, '\x40') + std::string(7, '\x40');
  EXPECT_EQ(Decode(file.Bytes()).fault, BmpFault::MissingPixels);
  // The usual header with the rows where it says vouches for nothing less than every row.
  file.headerSize = 40;
  EXPECT_EQ(Decode(file.Bytes()).fault, BmpFault::MissingPixels);
}

// ---- Against the editor's former reading ----

// Qt's warnings about the files it is fed are of no interest here.
struct QuietQt {
  QuietQt() : previous(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
  ~QuietQt() { qInstallMessageHandler(previous); }
  QtMessageHandler previous;
};

// A run-length stream of random codes: runs of one index or pair of indexes, runs given one by
// one, ends of lines, moves, and mostly an end code; runs may be longer than a row.
std::string RandomRuns(std::mt19937& random, int width, bool nibbles) {
  auto pick = [&](int n) { return int(random() % uint32_t(n)); };
  std::string out;
  const int codes = 1 + pick(12);
  for (int i = 0; i < codes; ++i) {
    switch (pick(6)) {
      case 0:
      case 1: {
        out += char(1 + pick(width + 4));
        out += char(pick(4) == 0 ? pick(256) : pick(4) * (nibbles ? 0x11 : 1));
        break;
      }
      case 2: {
        const int count = 3 + pick(width + 3);
        const int bytes = nibbles ? (count + 1) / 2 : count;
        out += {'\0', char(count)};
        for (int b = 0; b < bytes; ++b) out += char(pick(3) == 0 ? pick(256) : pick(4) * (nibbles ? 0x11 : 1));
        if (bytes & 1) out += '\0';
        break;
      }
      case 3: out += {'\0', '\0'}; break;
      case 4: out += {'\0', '\2', char(pick(width + 2)), char(pick(3))}; break;
      default: out += {'\0', '\1'}; break;
    }
  }
  if (pick(5) != 0) out += {'\0', '\1'};
  return out;
}

struct Case {
  std::string label;
  std::string bytes;
};

// Every header, depth and compression, first as a well-made picture, then with its fields,
// table, masks, offset and length varied at random, within reason and past it.
std::vector<Case> GeneratedCorpus() {
  std::vector<Case> corpus;
  std::mt19937 random(20240601);
  auto pick = [&](int n) { return int(random() % uint32_t(n)); };
  const int headers[] = {12, 40, 64, 108, 124, 16, 20, 200};
  struct Kind {
    int bits;
    uint32_t compression;
  };
  const Kind kinds[] = {{1, 0}, {4, 0}, {8, 0}, {16, 0}, {24, 0}, {32, 0}, {4, 2}, {8, 1}, {16, 3}, {32, 3}};
  const std::array<uint32_t, 3> maskSets[] = {
      {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0xFF0000, 0xFF00, 0xFF},  {0x3, 0x3FC, 0xFFC00},
      {0, 0, 0},                {0xF0F0, 0x0F0F, 0x8001}, {0xFFFFFFFF, 0, 0},       {0xFF000000, 0xFF0000, 0xFFFF}};
  const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {5, -3}, {8, 4}, {13, -1}, {2, 7}, {33, 2}};

  for (int round = 0; round < 150; ++round) {
    for (int header : headers) {
      for (const Kind& kind : kinds) {
        // The short headers have no compression field.
        const bool info = header == 40 || header == 64 || header >= 108;
        if (kind.compression != 0 && !info) continue;
        const bool varied = round > 0;
        const auto [width, height] = sizes[varied ? pick(std::size(sizes)) : 2];
        BmpFile f{.headerSize = header, .width = width, .height = height, .bits = kind.bits,
                  .compression = kind.compression};
        const int rows = std::abs(height);
        const std::string label = "header " + std::to_string(header) + ", " + std::to_string(kind.bits) +
                                  " bits, compression " + std::to_string(kind.compression);
        if (kind.bits <= 8) {
          const int full = 1 << kind.bits;
          int entries = full;
          if (varied) {
            switch (pick(5)) {
              case 0: entries = 1 + pick(full); break;
              case 1: entries = std::min(256, full + 1 + pick(20)); break;
              case 2: entries = 2; break;
              default: break;
            }
          }
          if (info && entries != full) f.coloursUsed = entries;
          for (int i = 0; i < entries; ++i) f.table.push_back(Color(random() & 0xFFFFFF));
          // Often the darker colour first, for 1 bit, and the first and last alike, for lacking rows.
          if (varied && pick(3) == 0) f.table.back() = f.table.front();
        } else if (kind.compression == 3) {
          const std::array<uint32_t, 3> masks = maskSets[varied ? pick(std::size(maskSets)) : 0];
          if (header >= 108) {
            f.headerMasks = {masks[0], masks[1], masks[2], varied && pick(2) ? 0xFF000000u >> (8 * pick(2)) : 0u};
          } else {
            f.masks = masks;
          }
        } else if (header >= 108 && kind.bits == 32 && varied && pick(2)) {
          f.headerMasks[3] = 0xFF000000;
        }
        if (kind.compression == 1 || kind.compression == 2) {
          f.pixels = RandomRuns(random, width, kind.compression == 2);
        } else {
          f.pixels = PackedRows(width, rows, kind.bits, [&](int, int) { return uint32_t(random()); });
        }
        if (varied) {
          switch (pick(8)) {
            case 0: f.gap = std::string(size_t(1 + pick(6)), char(pick(256))); break;
            case 1: f.dataOffset = pick(int(f.PixelsAt()) + 4); break;  // inside the headers, or past the end
            case 2: f.dataOffset = int64_t(random()); break;
            case 3: f.coloursUsed = kind.bits > 8 ? pick(3) : -pick(3); break;
            default: break;
          }
        }
        std::string bytes = f.Bytes();
        if (varied) {
          switch (pick(6)) {
            case 0: bytes.resize(size_t(pick(int(bytes.size())))); break;
            case 1: bytes.resize(bytes.size() - size_t(std::min<int>(int(bytes.size()), 1 + pick(6)))); break;
            case 2: bytes[size_t(pick(int(std::min<size_t>(bytes.size(), 80))))] = char(random()); break;
            case 3: bytes += std::string(size_t(1 + pick(8)), char(pick(256))); break;
            default: break;
          }
        }
        corpus.push_back({label, std::move(bytes)});
      }
    }
  }
  return corpus;
}

// The file's bytes in hex, to rebuild a failing case.
std::string Hex(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < std::min<size_t>(bytes.size(), 400); ++i) {
    out += "0123456789ABCDEF"[uint8_t(bytes[i]) >> 4];
    out += "0123456789ABCDEF"[bytes[i] & 0xF];
  }
  return out + (bytes.size() > 400 ? "..." : "");
}

// Files the witness could not judge, because Qt took colours from memory it never set.
struct Unwitnessed {
  int runs = 0, unfilled = 0;
};

// Whether our decoder and the former reading agree on a file (see testing::Compare).
void ExpectAgreement(const std::string& bytes, const std::string& label, Unwitnessed& unwitnessed) {
  const BmpPicture ours = Decode(bytes);
  const testing::WitnessPicture qt = testing::QtBmpWitness(bytes);
  switch (testing::Compare(bytes, ours, qt)) {
    case testing::Verdict::Agree: return;
    case testing::Verdict::RunCutShort: ++unwitnessed.runs; return;
    case testing::Verdict::Unfilled: ++unwitnessed.unfilled; return;
    case testing::Verdict::Differ: break;
  }
  ASSERT_EQ(ours.fault != BmpFault::None, qt.refused) << label << ", fault " << int(ours.fault) << ": " << Hex(bytes);
  ASSERT_EQ(ours.width, qt.width) << label << ": " << Hex(bytes);
  ASSERT_EQ(ours.height, qt.height) << label;
  for (size_t i = 0; i < qt.pixels.size(); ++i)
    ASSERT_EQ(ours.pixels[i], qt.pixels[i])
        << label << ", pixel " << i % size_t(qt.width) << ", " << i / size_t(qt.width) << ": " << Hex(bytes);
  FAIL() << label << ": " << Hex(bytes);
}

TEST(BmpDecoder, ReadsTheGeneratedCorpusAsTheFormerQtReadingDid) {
  const QuietQt quiet;
  const std::vector<Case> corpus = GeneratedCorpus();
  Unwitnessed unwitnessed;
  std::map<std::string, int> accepted;
  std::set<std::string> labels;
  int refused = 0;
  for (const Case& c : corpus) {
    ExpectAgreement(c.bytes, c.label, unwitnessed);
    if (HasFatalFailure()) return;
    labels.insert(c.label);
    if (Decode(c.bytes).fault == BmpFault::None) {
      ++accepted[c.label];
    } else {
      ++refused;
    }
  }
  // The corpus is worth something only if it has pictures of every kind taken, and many refused.
  for (const std::string& label : labels) EXPECT_GT(accepted[label], 0) << label;
  EXPECT_GT(refused, int(corpus.size()) / 5);
  std::cout << corpus.size() << " files, " << refused << " refused; unwitnessed: " << unwitnessed.runs
            << " runs cut short, " << unwitnessed.unfilled << " unfilled\n";
}

TEST(BmpDecoder, KeepsTheFormerSizeLimits) {
  const QuietQt quiet;
  Unwitnessed unwitnessed;
  // A run-length picture with nothing but its end code stands for any size in a few bytes.
  BmpFile empty{.width = 8192, .height = 4096, .bits = 8, .compression = 1, .coloursUsed = 1, .table = {Grey},
                .pixels = std::string("\0\x01", 2)};
  for (int height : {4096, 4097, -4096, -4097}) {
    empty.height = height;
    ExpectAgreement(empty.Bytes(), "8192 x " + std::to_string(height), unwitnessed);
  }
  EXPECT_EQ(Decode(empty.Bytes()).fault, BmpFault::TooLarge);
  empty.height = 4096;
  const BmpPicture largest = Decode(empty.Bytes());
  EXPECT_EQ(largest.fault, BmpFault::None);
  EXPECT_EQ(largest.pixels, std::vector<Color>(size_t(8192) * 4096, Grey));
  empty.width = 30001;
  empty.height = 1;
  EXPECT_EQ(Decode(empty.Bytes()).fault, BmpFault::TooLarge);
}

}  // namespace
}  // namespace render
