// Saves a picture of the Traffic window after a settings Get and Set and a
// firmware download against the virtual printer, so what a technician reads
// in it can be looked at. Run under a real or virtual display:
//   xvfb-run -a -s "-screen 0 1280x720x24" build/tests/monitor/qm_monitor_screenshots /tmp/shots
#include <QApplication>
#include <QCheckBox>
#include <QTreeView>
#include <stdlib.h>

#include "Recorders.h"
#include "ScreenshotSupport.h"
#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"
#include "monitor/TrafficWindow.h"
#include "settings/MemoryBank.h"
#include "sim/PtyFrontEnd.h"
#include "status/StatusExchange.h"
#include "base/Clock.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString folder = qm::test::ShotFolder(argc, argv);
  if (folder.isEmpty()) return 2;

  qm::sim::PtyFrontEnd printer;
  std::string error;
  if (!printer.Open(error)) return 2;
  printer.Start();
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
  qm::test::FakeLinkServices services;
  qm::test::RecordingPrompter prompter;
  qm::SystemClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);

  qm::TrafficWindow window({port, prompter, clock});
  window.resize(1280, 720);
  window.findChild<QCheckBox*>("checkHex")->setChecked(true);
  if (!qm::test::OpenOnCom1(port)) return 1;

  // The Hardware Info page's Get and Set, the Printer Info page's Get, a
  // status inquiry and a firmware download, as the windows make them.
  qm::ExchangeStatus(port, clock, qm::StatusCommand::Cp, {});
  qm::ReadIdentity(port, clock, 1);
  qm::ReadBank(port, clock, 3);
  qm::ChangeBank(port, 3, 0x42, qm::membank::BankForm::Terminated);
  qm::ReadBank(port, clock, 3);
  qm::ReadPrinterInfo(port, clock, 2);
  std::vector<uint8_t> image(qm::kFirmwareImageSize, 0xFF);
  for (size_t i = 0; i < image.size(); i += 7) image[i] = uint8_t(i);
  qm::DownloadFirmware(port, image, qm::ImageChecksum(image), {});
  qm::ExchangeStatus(port, clock, qm::StatusCommand::ErrorCode, {});

  window.TakeRecords();
  auto* view = window.findChild<QTreeView*>("treeTraffic");
  // The download's row opened to its first pieces.
  for (int row = 0; row < view->model()->rowCount(); ++row) {
    const QModelIndex index = view->model()->index(row, 0);
    if (view->model()->rowCount(index) > 0) {
      view->expand(index);
      view->scrollTo(view->model()->index(0, 0));
    }
  }
  const bool ok = qm::test::ShowAndGrab(window, folder, "traffic");
  port.Close();
  printer.Stop();
  return ok ? 0 : 1;
}
