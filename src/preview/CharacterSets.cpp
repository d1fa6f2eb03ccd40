#include "preview/CharacterSets.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace qm::preview {

namespace {

// The national-variant positions, in the order of each row below.
constexpr std::array<unsigned char, 12> kVariantCodes{0x23, 0x24, 0x40, 0x5B, 0x5C, 0x5D,
                                                      0x5E, 0x60, 0x7B, 0x7C, 0x7D, 0x7E};

// One row per international set, in the order of the character set list.
constexpr std::array<std::u32string_view, 16> kVariants{
    U"#$@[\\]^`{|}~",  // U.S.A
    U"#$à°ç§^`éùè¨",   // France
    U"#$§ÄÖÜ^`äöüß",   // Germany
    U"£$@[\\]^`{|}~",  // U.K
    U"#$@ÆØÅ^`æøå~",   // Denmark I
    U"#¤ÉÄÖÅÜéäöåü",   // Sweden
    U"#$@°\\é^ùàòèì",  // Italy
    U"₧$@¡Ñ¿^`¨ñ}~",   // Spain
    U"#¤ÉÆØÅÜéæøåü",   // Norway
    U"#$ÉÆØÅÜéæøåü",   // Denmark II
    U"#$@[¥]^`{|}~",   // Japan
    U"#$á¡Ñ¿é`íñóú",   // Spain II
    U"#$á¡Ñ¿éüíñóú",   // Latin America
    U"#$@[₩]^`{|}~",   // Korea
    U"#$ŽŠĐĆČžšđćč",   // Slovenia/Croatia
    U"#¥@[\\]^`{|}~",  // China
};

// The code tables by their index in the character set list, as the system's
// conversion names them. "PC865+PC1252" takes its upper half from PC1252
// above 9Fh and from PC865 below; PC928 is the Greek table closest to
// ISO 8859-7.
struct TableNames {
  const char* low;   // 80h-9Fh
  const char* high;  // A0h-FFh
};
constexpr std::array<TableNames, 23> kTables{{
    {"CP437", "CP437"},   {"CP850", "CP850"},   {"CP852", "CP852"},           {"CP860", "CP860"},
    {"CP863", "CP863"},   {"CP865", "CP865"},   {"CP1252", "CP1252"},         {"CP865", "CP1252"},
    {"CP857", "CP857"},   {"CP737", "CP737"},   {"CP1250", "CP1250"},         {"CP1253", "CP1253"},
    {"CP1254", "CP1254"}, {"CP855", "CP855"},   {"CP862", "CP862"},           {"CP866", "CP866"},
    {"CP1251", "CP1251"}, {"CP1255", "CP1255"}, {"ISO-8859-7", "ISO-8859-7"}, {"CP864", "CP864"},
    {"CP775", "CP775"},   {"CP1257", "CP1257"}, {"IBM858", "IBM858"},
}};

// Converts `in` with iconv from `charset` to UTF-32; nothing when it fails.
std::u32string Convert(const char* charset, std::string_view in) {
  iconv_t cd = iconv_open("UTF-32LE", charset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::u32string out(in.size() + 1, 0);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = reinterpret_cast<char*>(out.data());
  size_t dstLeft = out.size() * sizeof(char32_t);
  const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || srcLeft != 0) return {};
  out.resize(out.size() - dstLeft / sizeof(char32_t));
  return out;
}

// The upper halves, converted once per table and kept.
const std::array<char32_t, 128>& UpperHalf(int codeTable) {
  static std::mutex mutex;
  static std::map<int, std::array<char32_t, 128>> cache;
  const std::lock_guard lock(mutex);
  auto [it, added] = cache.try_emplace(codeTable);
  if (added) {
    for (int code = 0x80; code <= 0xFF; ++code) {
      const TableNames names = kTables[static_cast<size_t>(codeTable)];
      const std::string byte(1, static_cast<char>(code));
      const std::u32string c = Convert(code < 0xA0 ? names.low : names.high, byte);
      it->second[code - 0x80] = c.size() == 1 ? c[0] : kNoCharacter;
    }
  }
  return it->second;
}

}  // namespace

std::u32string DecodeSingleByte(std::string_view bytes, int international, int codeTable) {
  international = std::clamp(international, 0, 15);
  codeTable = std::clamp(codeTable, 0, 22);
  const std::u32string_view variants = kVariants[static_cast<size_t>(international)];
  const auto& upper = UpperHalf(codeTable);
  std::u32string out;
  out.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (code >= 0x80) {
      out.push_back(upper[code - 0x80]);
      continue;
    }
    char32_t c = code;
    for (size_t i = 0; i < kVariantCodes.size(); ++i) {
      if (kVariantCodes[i] == code) c = variants[i];
    }
    out.push_back(code < 0x20 ? kNoCharacter : c);
  }
  return out;
}

TwoByteTable TwoByteTableOfFont(char font) {
  if (font >= 'a' && font <= 'f') return TwoByteTable::Ks5601;
  if (font == 'm') return TwoByteTable::Gb2312;
  if (font == 'n') return TwoByteTable::Big5;
  if (font == 'j') return TwoByteTable::Jis;
  return TwoByteTable::None;
}

std::u32string DecodeTwoByte(std::string_view bytes, TwoByteTable table) {
  const char* charset = table == TwoByteTable::Ks5601   ? "EUC-KR"
                        : table == TwoByteTable::Gb2312 ? "GB2312"
                        : table == TwoByteTable::Big5   ? "BIG5"
                                                        : "SHIFT_JIS";
  std::u32string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80 || i + 1 == bytes.size()) {
      out.push_back(lead < 0x20 || lead >= 0x80 ? kNoCharacter : lead);
      continue;
    }
    const std::u32string c = Convert(charset, bytes.substr(i, 2));
    out.push_back(c.size() == 1 ? c[0] : kNoCharacter);
    ++i;
  }
  return out;
}

}  // namespace qm::preview
