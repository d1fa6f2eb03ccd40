#include <ostream>
#include <string>
#include <vector>

#include "cli/PreviewModule.h"
#include "cli/Subcommands.h"
#include "link/LoadedLibrary.h"

namespace qm::cli {
namespace {

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

void WriteTo(void* context, int stream, const char* data, size_t size) {
  auto* streams = static_cast<Streams*>(context);
  (stream == 1 ? streams->out : streams->err).write(data, std::streamsize(size));
}

}  // namespace

// Renders a label script to PNGs through the preview module, loaded now.
int RunPreview(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::string why;
  void* module = OpenPrivateModule(QM_CLI_PREVIEW_MODULE, &why);
  QmCliPreview preview = nullptr;
  if (module && !Resolve(module, "qm_cli_preview", preview)) {
    const char* error = dlerror();
    why = error ? error : "it has no qm_cli_preview";
  }
  if (!preview) {
    err << "quillmark-cli preview: the renderer module " QM_CLI_PREVIEW_MODULE " cannot be loaded: "
        << why << "\n";
    return 1;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  Streams streams{out, err};
  return preview(int(argv.size()), argv.data(), WriteTo, &streams);
}

}  // namespace qm::cli
