#include "tester/ScriptText.h"

#include <cstdint>

namespace qm {
namespace {

constexpr char32_t kPlaceholderBase = 0xF700;
constexpr char32_t kParagraphSeparator = 0x2029;

bool IsContinuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of s (0 when
// there is none) and its code point.
size_t DecodeOne(std::string_view s, char32_t& codePoint) {
  auto at = [&](size_t i) { return uint8_t(s[i]); };
  uint8_t lead = at(0);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  size_t length = 0;
  uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || at(1) < low || at(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(at(i))) return 0;
  char32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) value = (value << 6) | (at(i) & 0x3F);
  codePoint = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Characters the editor does not keep as they are: the paragraph separator
// and the frame marks it turns into structure, and the placeholder block.
bool NeedsPlaceholder(char32_t cp) {
  return cp == kParagraphSeparator || cp == 0xFDD0 || cp == 0xFDD1 ||
         (cp >= kPlaceholderBase && cp <= kPlaceholderBase + 0xFF);
}

void AppendPlaceholders(std::string& out, std::string_view bytes) {
  for (char byte : bytes) AppendUtf8(out, kPlaceholderBase + uint8_t(byte));
}

}  // namespace

std::string ScriptTextFromBytes(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    char byte = bytes[i];
    if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      text += '\n';
      i += 2;
      continue;
    }
    if (byte == '\r' || byte == '\n') {
      AppendPlaceholders(text, bytes.substr(i, 1));
      ++i;
      continue;
    }
    char32_t cp = 0;
    size_t length = DecodeOne(bytes.substr(i), cp);
    if (length == 0) {
      AppendPlaceholders(text, bytes.substr(i, 1));
      ++i;
    } else if (NeedsPlaceholder(cp)) {
      AppendPlaceholders(text, bytes.substr(i, length));
      i += length;
    } else {
      text.append(bytes.substr(i, length));
      i += length;
    }
  }
  return text;
}

std::string ScriptBytesFromText(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  size_t i = 0;
  while (i < text.size()) {
    // ASCII other than a line break is its own byte: taken a run at a time,
    // which is nearly all of a script.
    size_t run = i;
    while (run < text.size() && uint8_t(text[run]) < 0x80 && text[run] != '\n') ++run;
    bytes.append(text.substr(i, run - i));
    i = run;
    if (i == text.size()) break;
    char32_t cp = 0;
    size_t length = DecodeOne(text.substr(i), cp);
    if (length == 0) {  // not from the editor; pass it through untouched
      bytes += text[i++];
      continue;
    }
    if (cp == '\n' || cp == kParagraphSeparator)
      bytes += "\r\n";
    else if (cp >= kPlaceholderBase && cp <= kPlaceholderBase + 0xFF)
      bytes += char(cp - kPlaceholderBase);
    else
      bytes.append(text.substr(i, length));
    i += length;
  }
  return bytes;
}

}  // namespace qm
