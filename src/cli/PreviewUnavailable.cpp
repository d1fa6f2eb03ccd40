#include <ostream>

#include "cli/Options.h"

namespace qm::cli {

// The renderer needs QtGui, libzint and FreeType; a build without them (the
// Windows command line) says so instead of rendering.
int RunPreview(const PreviewOptions&, Streams streams) {
  streams.err << "quillmark-cli preview: this build has no label renderer\n";
  return 1;
}

}  // namespace qm::cli
