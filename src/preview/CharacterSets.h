#pragma once

#include <string>
#include <string_view>

namespace qm::preview {

// Turns the bytes of a text or chart line into the characters the printer
// prints for them, as the "CS" command selects: the international set
// replaces the twelve national-variant characters below 80h, the code table
// gives the characters from 80h. A code that no table maps becomes
// `kNoCharacter`, drawn as an empty box.
inline constexpr char32_t kNoCharacter = 0xFFFFFFFF;

std::u32string DecodeSingleByte(std::string_view bytes, int international, int codeTable);

// The two-byte tables of the two-byte fonts: KS5601 ("a" to "f"), GB2312
// ("m"), BIG5 ("n"), JIS ("j"). A lead byte from 80h takes the next byte as
// its trail; other bytes are single characters.
enum class TwoByteTable { None, Ks5601, Gb2312, Big5, Jis };
TwoByteTable TwoByteTableOfFont(char font);
std::u32string DecodeTwoByte(std::string_view bytes, TwoByteTable table);

}  // namespace qm::preview
