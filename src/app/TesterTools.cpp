#include "app/TesterTools.h"

#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "status/StatusWindow.h"
#include "tester/CommandTesterWindow.h"
#include "tester/LabelBuilders.h"
#include "ui/ModalRunner.h"

namespace qm {

void RegisterRfidBuilders(CommandTesterWindow& tester) {
  tester.SetBuilder(BuilderButton::RfidWrite, FactoryOf<RfidWriteInsertWindow>());
  tester.SetBuilder(BuilderButton::RfidRead, FactoryOf<RfidReadInsertWindow>());
  tester.SetBuilder(BuilderButton::RfidPassword, FactoryOf<RfidPasswordWindow>());
  tester.SetBuilder(BuilderButton::RfidSecurity, FactoryOf<RfidSecurityWindow>());
  tester.SetBuilder(BuilderButton::RfidKill, FactoryOf<RfidKillWindow>());
}

void HandStatusWindow(CommandTesterWindow& tester, AppContext context) {
  tester.SetStatusOpener([context](QWidget* parent) { RunWindow<StatusWindow>(context, parent); });
}

void HandTesterTools(CommandTesterWindow& tester, AppContext context) {
  RegisterLabelBuilders(tester);
  RegisterRfidBuilders(tester);
  HandStatusWindow(tester, context);
}

}  // namespace qm
