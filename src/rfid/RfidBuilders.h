#pragma once

namespace qm {

class CommandTesterWindow;

// Lets the tester's "Write", "Read", "Password", "Security" and "Kill"
// buttons open the RFID insert windows.
void RegisterRfidBuilders(CommandTesterWindow& tester);

}  // namespace qm
