#pragma once

class QLabel;

namespace qm {

// What assistive technology (a screen reader, an outside-in test) meets in
// the windows, beyond what the toolkit gives by itself:
//  - a label that shows a value beside its caption ("File Size: " and
//    "262144 Bytes") is read as both, "File Size: 262144 Bytes", not as a
//    bare number whose meaning the listener has to guess;
//  - check boxes and radio buttons answer the "toggle" action as a click,
//    so what a window does on a click (a port list refilled, a value
//    recomputed) happens for a person who toggles by voice or switch too.
//
// Installs the check boxes' and radio buttons' part once; call it after the
// application object exists and before the windows are shown.
void InstallAccessibility();

// Makes `value` read as "<caption> <value>" whenever its text changes.
void ReadWithCaption(QLabel* caption, QLabel* value);

}  // namespace qm
