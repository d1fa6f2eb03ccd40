#include "rfid/RfidBuilders.h"

#include "rfid/RfidKillWindow.h"
#include "rfid/RfidPasswordWindow.h"
#include "rfid/RfidReadInsertWindow.h"
#include "rfid/RfidSecurityWindow.h"
#include "rfid/RfidWriteInsertWindow.h"
#include "tester/CommandTesterWindow.h"

namespace qm {

namespace {

template <typename Window>
BuilderFactory Make() {
  return [](AppContext context, QWidget* parent) -> std::unique_ptr<BuilderDialog> {
    return std::make_unique<Window>(context, parent);
  };
}

}  // namespace

void RegisterRfidBuilders(CommandTesterWindow& tester) {
  tester.SetBuilder(BuilderButton::RfidWrite, Make<RfidWriteInsertWindow>());
  tester.SetBuilder(BuilderButton::RfidRead, Make<RfidReadInsertWindow>());
  tester.SetBuilder(BuilderButton::RfidPassword, Make<RfidPasswordWindow>());
  tester.SetBuilder(BuilderButton::RfidSecurity, Make<RfidSecurityWindow>());
  tester.SetBuilder(BuilderButton::RfidKill, Make<RfidKillWindow>());
}

}  // namespace qm
