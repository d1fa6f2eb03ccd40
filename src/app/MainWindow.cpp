#include "app/MainWindow.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QShowEvent>
#include <array>

#include "app/Artwork.h"
#include "app/TesterTools.h"
#include "base/Version.h"
#include "calibration/ManualCalibrationWindow.h"

#include "base/Prompter.h"
#include "download/FactoryFontDownloader.h"
#include "download/FileTransferWindow.h"
#include "download/FirmwareDownloader.h"
#include "download/PcxDownloader.h"
#include "download/SoftFontDownloader.h"
#include "link/OpenFailure.h"
#include "link/PortNames.h"
#include "monitor/TrafficWindow.h"
#include "link/PrinterPort.h"
#include "profile/ProfileWindows.h"
#include "rfid/RfidConfigurationWindow.h"
#include "rfid/RfidWriteWindow.h"
#include "settings/UserSettingManager.h"
#include "tester/CommandTesterWindow.h"
#include "ui/ModalRunner.h"
#include "ui/ValueBinder.h"

namespace qm {
namespace {

template <size_t N>
int Lookup(const std::array<int, N>& table, int entry) {
  return entry >= 0 && size_t(entry) < N ? table[size_t(entry)] : -1;
}

}  // namespace

int MainWindow::BaudRateFor(int entry) {
  return Lookup(std::array{9600, 19200, 38400, 57600, 115200}, entry);
}
int MainWindow::DataBitsFor(int entry) {
  return Lookup(std::array{7, 8}, entry);
}
int MainWindow::ParityFor(int entry) {
  return Lookup(std::array{0, 1, 2}, entry);
}
int MainWindow::StopBitsFor(int entry) {
  return Lookup(std::array{0, 1, 2}, entry);
}

MainWindow::MainWindow(AppContext context, QWidget* parent)
    : QDialog(parent), BoundValues(context.prompter), context_(context) {
  ui.setupUi(this);
  setWindowTitle(QStringLiteral("Quillmark  (Version %1)").arg(QLatin1String(kVersion)));
  // Compiled-in pixels: decoding PNGs here would load every image plugin.
  ui.labelPicture->setPixmap(QPixmap::fromImage(artwork::ToImage(artwork::kPicture)));
  setWindowIcon(QIcon(QPixmap::fromImage(artwork::ToImage(artwork::kIcon))));

  // After the ten COM names, the serial adapters this machine has, by path.
  for (const auto& path : SystemSerialDevices())
    ui.comboComPort->addItem(QString::fromStdString(path));
  MeasureListsOnce();

  connect(ui.radioSerial, &QRadioButton::clicked, this, &MainWindow::OnSerial);
  connect(ui.radioParallel, &QRadioButton::clicked, this, &MainWindow::OnParallel);
  connect(ui.radioUsb, &QRadioButton::clicked, this, &MainWindow::OnUsb);
  connect(ui.buttonConnect, &QPushButton::clicked, this, &MainWindow::OnConnect);
  connect(ui.buttonDisconnect, &QPushButton::clicked, this, &MainWindow::OnDisconnect);
  connect(ui.buttonExit, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui.buttonTraffic, &QPushButton::clicked, this, &MainWindow::OnTraffic);
  // Each tool button opens its window; a button without one stays disabled.
  OpenOnClick(ui.buttonTester, [this] {
    CommandTesterWindow window(context_, this);
    HandTesterTools(window, context_);
    RunModal(window);
  });
  OpenOnClick<RfidConfigurationWindow>(ui.buttonRfidConfiguration);
  OpenOnClick<RfidWriteWindow>(ui.buttonRfidWriteRead);
  OpenOnClick<FirmwareDownloader>(ui.buttonFirmwareDownloader);
  OpenOnClick<FactoryFontDownloader>(ui.buttonFactoryFont);
  OpenOnClick<SoftFontDownloader>(ui.buttonSoftFont);
  OpenOnClick<PcxDownloader>(ui.buttonPcx);
  OpenOnClick<FileTransferWindow>(ui.buttonFileTransfer);
  OpenOnClick(ui.buttonUserSetting, [this] {
    UserSettingManager window(context_, this);
    HandProfileButtons(window, context_);
    RunModal(window);
  });
  OpenOnClick<ManualCalibrationWindow>(ui.buttonCalibration);

  ShowValues();
  ApplyEnabling(false);
}

void MainWindow::MeasureListsOnce() {
  // A list box measures every entry for its width when the window first
  // sizes itself, then again when it first shows, in case entries came in
  // between. Every entry is in now, so the boxes are told they have shown:
  // they measure once, when the window sizes itself, to the same width.
  QShowEvent shown;
  for (QComboBox* box : findChildren<QComboBox*>()) QCoreApplication::sendEvent(box, &shown);
}

MainWindow::~MainWindow() {
  delete traffic_;
}

void MainWindow::OnTraffic() {
  if (!traffic_) {
    // No parent: a child of the main window would be blocked with it while a
    // tool window runs.
    traffic_ = new TrafficWindow(context_);
    traffic_->setAttribute(Qt::WA_DeleteOnClose);
  }
  traffic_->show();
  traffic_->raise();
  traffic_->activateWindow();
}

void MainWindow::OpenOnClick(QPushButton* button, std::function<void()> open) {
  connect(button, &QPushButton::clicked, this, std::move(open));
  withWindow_.insert(button);
}

bool MainWindow::BindValues(ValueBinder& bind) {
  bind.RadioGroup({ui.radioSerial, ui.radioParallel, ui.radioUsb}, interfaceChoice)
      .ComboIndex(ui.comboLptPort, lptPortEntry)
      .ComboText(ui.comboComPort, comPortName)
      .ComboIndex(ui.comboBaudRate, baudRateEntry)
      .ComboIndex(ui.comboDataBits, dataBitsEntry)
      .ComboIndex(ui.comboStopBits, stopBitsEntry);
  if (bind.Failed()) return false;
  if (!bind.TakingValues()) {
    ui.comboParity->setCurrentIndex(parityEntry);
    return true;
  }
  // The parity box takes typed text too: a typed entry name counts as that
  // entry, in any letter case; any other text has no parity to give.
  parityEntry =
      ui.comboParity->findText(ui.comboParity->currentText().trimmed(), Qt::MatchFixedString);
  return true;
}

void MainWindow::SetSerialBoxesEnabled(bool enabled) {
  for (QWidget* box :
       {static_cast<QWidget*>(ui.comboComPort), static_cast<QWidget*>(ui.comboBaudRate),
        static_cast<QWidget*>(ui.comboParity), static_cast<QWidget*>(ui.comboDataBits),
        static_cast<QWidget*>(ui.comboStopBits)})
    box->setEnabled(enabled);
}

void MainWindow::OnSerial() {
  TakeValues();
  ui.comboLptPort->setEnabled(false);
  SetSerialBoxesEnabled(true);
}

void MainWindow::OnParallel() {
  if (context_.port.IsWindows9x()) {
    // The tool's own wording and spelling; kept as operators know it.
    context_.prompter.Show("Sorry, parallel port don't suport in Windows 98, 98SE, ME.", "Warning",
                           MessageIcon::Information);
    TakeValues();
    interfaceChoice = 0;
    ShowInterfaceChoice();
    return;
  }
  TakeValues();
  ui.comboLptPort->setEnabled(true);
  SetSerialBoxesEnabled(false);
}

void MainWindow::OnUsb() {
  TakeValues();
  ui.comboLptPort->setEnabled(false);
  SetSerialBoxesEnabled(false);
}

void MainWindow::ShowInterfaceChoice() {
  ValueBinder bind(context_.prompter, false);
  bind.RadioGroup({ui.radioSerial, ui.radioParallel, ui.radioUsb}, interfaceChoice);
}

void MainWindow::OnConnect() {
  if (!TakeValues()) return;
  PrinterPort& port = context_.port;

  std::string name;
  switch (interfaceChoice) {
    case 0:
      name = comPortName;
      break;
    case 1:
      name = ui.comboLptPort->itemText(lptPortEntry).toStdString();
      break;
    default:
      name = "USB";
      break;
  }
  if (interfaceChoice == 0 && parityEntry < 0) {
    context_.prompter.Refusal("Please choose the parity None, Odd or Even.");
    ui.comboParity->setFocus();
    return;
  }
  port.SetPortName(name);
  if (interfaceChoice == 0) {
    port.SetSerialParameters(uint32_t(BaudRateFor(baudRateEntry)), uint32_t(ParityFor(parityEntry)),
                             uint32_t(DataBitsFor(dataBitsEntry)),
                             uint32_t(StopBitsFor(stopBitsEntry)));
  }

  if (port.Open()) {
    context_.prompter.Information("Success open port.");
    // USB transfers open and close the device themselves.
    if (interfaceChoice == 2) port.Close();
    ApplyEnabling(true);
  } else {
    context_.prompter.Refusal(OpenFailureMessage(port));
  }
}

void MainWindow::OnDisconnect() {
  if (context_.port.GetInterfaceType() != Usb) context_.port.Close();
  ApplyEnabling(false);
}

void MainWindow::ApplyEnabling(bool isConnected) {
  connected = isConnected;
  if (connected) {
    ui.comboLptPort->setEnabled(false);
    SetSerialBoxesEnabled(false);
  } else {
    ui.comboLptPort->setEnabled(interfaceChoice == 1);
    SetSerialBoxesEnabled(interfaceChoice == 0);
  }
  for (QWidget* control :
       {static_cast<QWidget*>(ui.buttonConnect), static_cast<QWidget*>(ui.radioSerial),
        static_cast<QWidget*>(ui.radioParallel), static_cast<QWidget*>(ui.radioUsb)})
    control->setEnabled(!connected);
  ui.buttonDisconnect->setEnabled(connected);
  for (QPushButton* tool :
       {ui.buttonFirmwareDownloader, ui.buttonFactoryFont, ui.buttonSoftFont, ui.buttonPcx,
        ui.buttonFileTransfer, ui.buttonUserSetting, ui.buttonCalibration, ui.buttonTester,
        ui.buttonRfidConfiguration, ui.buttonRfidWriteRead}) {
    const bool available = withWindow_.contains(tool);
    tool->setEnabled(connected && available);
    tool->setToolTip(available ? QString() : QStringLiteral("Not available yet"));
  }
}

}  // namespace qm
