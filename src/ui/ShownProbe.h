#pragma once

class QWidget;

namespace qm {

// For start-up measurements: when the environment variable
// QUILLMARK_EXIT_WHEN_SHOWN is set, prints "shown" and the milliseconds of
// CPU time the process has used ("shown 61.250") once the window has painted
// for the first time, and then closes it. Does nothing otherwise.
void ExitWhenShownIfAsked(QWidget& window);

}  // namespace qm
