#include <unistd.h>

#include <array>
#include <filesystem>
#include <ostream>
#include <vector>

#include "cli/PreviewModule.h"
#include "cli/Subcommands.h"
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
  void* module = LoadPreviewModule();
  QmCliPreview preview = nullptr;
  if (!module || !Resolve(module, "qm_cli_preview", preview)) {
    const char* why = dlerror();
    err << "quillmark-cli preview: the renderer module " QM_CLI_PREVIEW_MODULE " cannot be loaded"
        << (why ? std::string(": ") + why : std::string()) << "\n";
    return 1;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  Streams streams{out, err};
  return preview(int(argv.size()), argv.data(), WriteTo, &streams);
}

}  // namespace qm::cli
