// The label renderer as a module of the main program: it is loaded when the
// tester's preview pane first opens (see ScriptRenderer.h).
#include "preview/LabelRenderer.h"
#include "preview/ScriptRenderer.h"

extern "C" __attribute__((visibility("default"))) qm::preview::ScriptRenderer*
qm_new_script_renderer() {
  return new qm::preview::LabelRenderer();
}
