#include <ostream>

#include "cli/Subcommands.h"

namespace qm::cli {

// The renderer needs QtGui, libzint and FreeType; a build without them (the
// Windows command line) says so instead of rendering.
int RunPreview(std::span<const std::string>, std::ostream&, std::ostream& err) {
  err << "quillmark-cli preview: this build has no label renderer\n";
  return 1;
}

}  // namespace qm::cli
