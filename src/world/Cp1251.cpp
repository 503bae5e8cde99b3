#include "world/Cp1251.h"

#include <array>
#include <cstdint>

namespace world {
namespace {

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are А..я in order. The one byte that the
// code page leaves unassigned (0x98) maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};
constexpr char32_t kCapitalA = 0x0410;
constexpr char32_t kSmallYa = 0x044F;

char32_t CodePointOf(uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kUpperHalf[byte - 0x80];
  return kCapitalA + (byte - 0xC0);
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

char ByteOf(char32_t cp) {
  if (cp < 0x80) return char(cp);
  if (cp >= kCapitalA && cp <= kSmallYa) return char(0xC0 + (cp - kCapitalA));
  for (size_t i = 0; i < kUpperHalf.size(); ++i)
    if (kUpperHalf[i] == cp) return char(0x80 + i);
  return '?';
}

// Decodes one UTF-8 sequence at `pos` and moves past it; a malformed sequence gives
// U+FFFD (which has no byte) and moves one byte on.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  constexpr char32_t kInvalid = 0xFFFD;
  const uint8_t lead = text[pos++];
  int more;
  char32_t cp;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) { more = 1; cp = lead & 0x1F; }
  else if ((lead & 0xF0) == 0xE0) { more = 2; cp = lead & 0x0F; }
  else if ((lead & 0xF8) == 0xF0) { more = 3; cp = lead & 0x07; }
  else return kInvalid;
  size_t p = pos;
  for (int i = 0; i < more; ++i, ++p) {
    if (p >= text.size() || (uint8_t(text[p]) & 0xC0) != 0x80) return kInvalid;
    cp = (cp << 6) | (uint8_t(text[p]) & 0x3F);
  }
  pos = p;
  return cp;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) AppendUtf8(out, CodePointOf(uint8_t(c)));
  return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) out += ByteOf(NextCodePoint(utf8, pos));
  return out;
}

}  // namespace world
