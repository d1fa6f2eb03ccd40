#pragma once

namespace qm {

// Holds assistive technology to the rule BusyScope sets for the mouse and the
// keyboard: while long work runs, a screen reader's press, toggle, focus,
// value or text change aimed at a window that takes no input is dropped,
// never run afterwards. Everything it reads (names, values, states) stays
// readable, so the operator still hears the progress.
//
// Call once, right after the QApplication is made: the toolkit's own
// accessibility must be in place first, and only what is asked for after the
// call is guarded. Later calls do nothing.
void GuardAssistiveInput();

}  // namespace qm
