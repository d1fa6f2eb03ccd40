#pragma once

class QWidget;

namespace qm {

// A window's first paint fills a backing store of fresh memory, a page
// fault for every 4 KB of it (hundreds for a window of a few hundred pixels
// square), and a fault costs microseconds on the virtual machines the tool
// runs on. From this call on, the window's backing store is sized when the
// window is shown and its pages brought in with one call, and the whole
// window is painted, as on any first show. The look does not change.
void PrefaultBackingStoreWhenShown(QWidget& window);

}  // namespace qm
