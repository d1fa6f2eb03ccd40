#pragma once

#include <string>
#include <string_view>

namespace qm {

// The tester sends its script byte for byte as the operator typed or loaded
// it, but a text editor holds characters, not bytes, and treats every CR, LF
// and a few Unicode separators as the same paragraph break. These two
// functions translate between the bytes and the editor's text so that
// loading a file and sending it sends the file's bytes exactly:
//  - CR LF is a line break in the editor (and Enter types CR LF);
//  - text that is valid UTF-8 shows as itself;
//  - every other byte (a lone CR or LF, a byte that is not UTF-8, the bytes
//    of a character the editor would turn into a break) shows as one
//    placeholder character from a private-use block, U+F700 + the byte.
// Typed placeholders go out as their byte, so the mapping is reversible in
// both directions.

// The editor's text (UTF-8, line breaks as LF) for script bytes.
std::string ScriptTextFromBytes(std::string_view bytes);

// The script bytes for the editor's text. Accepts line breaks as LF or as the
// editor's paragraph separator U+2029.
std::string ScriptBytesFromText(std::string_view text);

}  // namespace qm
