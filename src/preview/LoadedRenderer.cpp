#include <mutex>

#include "link/LoadedLibrary.h"
#include "preview/ScriptRenderer.h"

namespace qm::preview {

std::unique_ptr<ScriptRenderer> LoadScriptRenderer(std::string* why) {
  // Loaded once and kept: the renderers it makes live on after the pane
  // that asked for them. A module that could not be loaded is looked for
  // again next time.
  static std::mutex mutex;
  static QmNewScriptRenderer make = nullptr;
  const std::lock_guard lock(mutex);
  if (!make) {
    std::string failure;
    void* module = OpenPrivateModule(kRendererModule, &failure);
    if (module && !Resolve(module, "qm_new_script_renderer", make)) {
      const char* error = dlerror();
      failure = error ? error : "it has no qm_new_script_renderer";
    }
    if (!make) {
      if (why) *why = failure;
      return nullptr;
    }
  }
  return std::unique_ptr<ScriptRenderer>(make());
}

}  // namespace qm::preview
