#pragma once

#include <string>
#include <string_view>

namespace qm {

// The program's name from the path it was started by: no folders (any of
// `separators` ends one), no extension; "quillmark" when the path is empty.
std::string ProgramNameOf(std::string_view path, std::string_view separators);

}  // namespace qm
