#include <unistd.h>

#include <array>
#include <filesystem>
#include <ostream>
#include <vector>

#include "cli/PreviewModule.h"
#include "cli/Options.h"
#include "link/LoadedLibrary.h"

namespace qm::cli {
namespace {

// Beside the program first (an installed tool), then the build's own copy.
void* LoadPreviewModule() {
  std::array<char, 4096> self{};
  const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (n > 0) {
    const auto beside = std::filesystem::path(std::string(self.data(), size_t(n))).parent_path() /
                        QM_CLI_PREVIEW_MODULE;
    if (void* module = OpenLibrary(beside.c_str())) return module;
  }
#ifdef QM_CLI_PREVIEW_MODULE_PATH
  return OpenLibrary(QM_CLI_PREVIEW_MODULE_PATH);
#else
  return nullptr;
#endif
}

void WriteTo(void* context, int stream, const char* data, size_t size) {
  auto* streams = static_cast<Streams*>(context);
  (stream == 1 ? streams->out : streams->err).write(data, std::streamsize(size));
}

}  // namespace

// Renders a label script to PNGs through the preview module, loaded now.
int RunPreview(const PreviewOptions& options, Streams streams) {
  void* module = LoadPreviewModule();
  QmCliPreview preview = nullptr;
  if (!module || !Resolve(module, "qm_cli_preview", preview)) {
    const char* why = dlerror();
    streams.err << "quillmark-cli preview: the renderer module " QM_CLI_PREVIEW_MODULE
                   " cannot be loaded"
                << (why ? std::string(": ") + why : std::string()) << "\n";
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
