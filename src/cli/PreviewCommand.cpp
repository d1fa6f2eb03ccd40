#include <ostream>
#include <string>
#include <vector>

#include "cli/PreviewModule.h"
#include "cli/Options.h"
#include "link/LoadedLibrary.h"

namespace qm::cli {
namespace {

void WriteTo(void* context, int stream, const char* data, size_t size) {
  auto* streams = static_cast<Streams*>(context);
  (stream == 1 ? streams->out : streams->err).write(data, std::streamsize(size));
}

}  // namespace

// Renders a label script to PNGs through the preview module, loaded now.
int RunPreview(const PreviewOptions& options, Streams streams) {
  std::string why;
  void* module = OpenPrivateModule(QM_CLI_PREVIEW_MODULE, &why);
  QmCliPreview preview = nullptr;
  if (module && !Resolve(module, "qm_cli_preview", preview)) {
    const char* error = dlerror();
    why = error ? error : "it has no qm_cli_preview";
  }
  if (!preview) {
    streams.err << "quillmark-cli preview: the renderer module " QM_CLI_PREVIEW_MODULE
                   " cannot be loaded: "
                << why << "\n";
    return kFailed;
  }
  std::vector<const char*> names, files;
  for (const auto& [name, file] : options.images) {
    names.push_back(name.c_str());
    files.push_back(file.c_str());
  }
  return preview(options.script.c_str(), options.folder.c_str(), int(names.size()), names.data(),
                 files.data(), WriteTo, &streams);
}

}  // namespace qm::cli
