#pragma once

class QProgressBar;

namespace qm {

// Gives a progress bar the range 0 to `steps` at position 0. Work of no
// steps (a file under one piece, an empty one) shows an empty bar: the range
// 0 to 0 would draw Qt's endless busy animation instead, and keep it after
// the work is done.
void SetProgressSteps(QProgressBar* bar, int steps);

}  // namespace qm
