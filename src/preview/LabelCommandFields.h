#pragma once

#include <string>
#include <string_view>

#include "preview/LabelScriptParser.h"

// The fields of one label command read into its values; the framing of
// commands in a script is LabelScriptParser's.
namespace qm::preview {

// Larger than any label dimension or count the printer takes; a field past
// it is refused rather than left to overflow later arithmetic.
inline constexpr int kMaxNumber = 999999;
// The biggest image "IS" may announce; more than any printer's image memory.
inline constexpr size_t kMaxImageBytes = 16u << 20;

// Why a command's fields were refused ("wrong number of fields", ...).
struct Failure {
  std::string message;
};

// Whether the text of a "T" command is in a two-byte font, whose lead bytes
// (80h and up) carry any byte as their trail: the font is the third field.
bool TwoByteText(std::string_view name, std::string_view body);

// The command `name` from the bytes after its name; throws Failure.
Command ParseFields(std::string_view name, std::string_view body);
// "IS" n,'name' followed by exactly n bytes of image; throws Failure.
Command ParseImageStore(std::string_view text);

}  // namespace qm::preview
