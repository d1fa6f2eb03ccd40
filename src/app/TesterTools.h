#pragma once

#include "ui/AppContext.h"

namespace qm {

class CommandTesterWindow;

// Lets the tester's "Write", "Read", "Password", "Security" and "Kill"
// buttons open the RFID insert windows.
void RegisterRfidBuilders(CommandTesterWindow& tester);

// Lets the tester's status button open the printer status window.
void HandStatusWindow(CommandTesterWindow& tester, AppContext context);

// Everything the tester opens from the other subsystems: the label and RFID
// builders and the status window.
void HandTesterTools(CommandTesterWindow& tester, AppContext context);

}  // namespace qm
