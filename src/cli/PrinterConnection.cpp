#include "cli/PrinterConnection.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "link/OpenFailure.h"
#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"
#include "link/UsbDiscovery.h"
#include "link/UsbProducts.h"

namespace qm::cli {
namespace {

// The machine's services, except that USB discovery hands back the one node
// the command line named instead of the first printer found.
class PinnedUsbServices : public LinkServices {
 public:
  PinnedUsbServices(std::unique_ptr<LinkServices> inner, std::string node, int modelIndex)
      : inner_(std::move(inner)), node_(std::move(node)), modelIndex_(modelIndex) {}

  bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind) override {
    return inner_->CheckDriverPorts(port, kind);
  }
  bool OsSupportsUsb() override { return inner_->OsSupportsUsb(); }
  bool FindUsbPrinter(PrinterPort& port) override {
    if (node_.size() > kMaxUsbDevicePathLength) return false;
    port.SetUsbModelIndex(modelIndex_);
    auto& path = port.DevicePath();
    path.fill('\0');
    node_.copy(path.data(), node_.size());
    return true;
  }
  void RepairUsbPrintRegistry(int usbModelIndex) override {
    inner_->RepairUsbPrintRegistry(usbModelIndex);
  }

 private:
  std::unique_ptr<LinkServices> inner_;
  std::string node_;
  int modelIndex_;
};

// A device whose reply reads, while the port keeps its standard time-outs,
// wait the command line's --timeout instead of the 3000 ms the standard set
// gives: a port's every open (a USB port opens around each transfer) starts
// from that set again, so the bound is applied here, read by read. Reads
// under any other set (a download's) are left as they are.
class BoundedReads : public PortDevice {
 public:
  BoundedReads(std::unique_ptr<PortDevice> inner, const PrinterPort& port, uint32_t timeoutMs)
      : inner_(std::move(inner)), port_(port), timeoutMs_(timeoutMs) {}

  bool Open(const std::string& path) override { return inner_->Open(path); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  bool Configure(const SerialSettings& settings) override { return inner_->Configure(settings); }
  bool ReadModemLines(ModemLines& lines) override { return inner_->ReadModemLines(lines); }
  bool QueryParallelStatus(uint8_t& status) override {
    return inner_->QueryParallelStatus(status);
  }
  IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override {
    const TimeoutSet& set = port_.Timeouts();
    if (set.readTotalConstant == kDefaultTimeouts.readTotalConstant &&
        set.readTotalMultiplier == kDefaultTimeouts.readTotalMultiplier)
      timeoutMs += int(timeoutMs_) - int(kDefaultTimeouts.readTotalConstant);
    return inner_->Read(buffer, count, std::max(timeoutMs, 1), gapMs);
  }
  IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override {
    return inner_->Write(buffer, count, timeoutMs);
  }
  bool TimesWrites() const override { return inner_->TimesWrites(); }
  bool Purge() override { return inner_->Purge(); }
  void SetWaitHook(std::function<void()> hook) override { inner_->SetWaitHook(std::move(hook)); }
  bool WaitUntilSent(int timeoutMs) override { return inner_->WaitUntilSent(timeoutMs); }
  std::string FailureReason() const override { return inner_->FailureReason(); }

 private:
  std::unique_ptr<PortDevice> inner_;
  const PrinterPort& port_;
  uint32_t timeoutMs_;
};

}  // namespace

class PrinterConnection::Devices : public DeviceFactory {
 public:
  Devices(uint32_t timeoutMs) : timeoutMs_(timeoutMs) {}
  void Serve(const PrinterPort& port) { port_ = &port; }
  std::unique_ptr<PortDevice> Create(InterfaceType kind) override {
    auto device = SystemDevices().Create(kind);
    if (!device || !port_) return device;
    return std::make_unique<BoundedReads>(std::move(device), *port_, timeoutMs_);
  }

 private:
  uint32_t timeoutMs_;
  const PrinterPort* port_ = nullptr;
};

namespace {

bool IsWindowName(const std::string& name) {
  return name == "USB" || name.starts_with("COM") || name.starts_with("LPT");
}

}  // namespace

PortTarget ResolvePort(const std::string& given, const std::string& sysRoot,
                       const std::string& devRoot) {
  PortTarget target;
  target.portName = given;
  if (IsWindowName(given)) return target;
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(given, ec);
  struct stat info {};
  if (ec || ::stat(real.string().c_str(), &info) != 0) {
    target.problem = "No such device";
    return target;
  }
  if (!S_ISCHR(info.st_mode)) {
    target.problem = given + " is not a character device";
    return target;
  }
  target.portName = real.string();
  for (const UsbPrinterNode& node : SystemUsbDeviceSource(sysRoot, devRoot)->Enumerate()) {
    if (std::filesystem::canonical(node.devnode, ec) != real) continue;
    target.portName = "USB";
    target.usbNode = real.string();
    target.usbModelIndex = KnownProductByPathIdentifier(
                               UsbPathIdentifier(node.vendorId, node.productId))
                               .value_or(-1);
    break;
  }
  return target;
}

void ConsolePrompter::Show(const std::string& text, const std::string& caption, MessageIcon) {
  ++shown_;
  err_ << caption << ": " << text << "\n";
}

bool ConsolePrompter::AskYesNo(const std::string& text, const std::string& caption, MessageIcon) {
  ++shown_;
  err_ << caption << ": " << text << " " << (answerYes_ ? "Yes" : "No") << "\n";
  return answerYes_;
}

std::optional<std::string> ConsolePrompter::OpenFileName(const FileDialogOptions&) {
  return std::nullopt;
}

std::optional<std::string> ConsolePrompter::SaveFileName(const FileDialogOptions&) {
  return std::nullopt;
}

PrinterConnection::PrinterConnection(const std::string& given, const LineOptions& line,
                                     std::ostream& err)
    : err_(err), target_(ResolvePort(given)), prompter_(err) {
  services_ = SystemLinkServices(prompter_);
  if (target_.usbNode)
    services_ = std::make_unique<PinnedUsbServices>(std::move(services_), *target_.usbNode,
                                                    target_.usbModelIndex);
  devices_ = std::make_unique<Devices>(line.timeoutMs);
  port_ = std::make_unique<PrinterPort>(*devices_, *services_, prompter_, clock_,
                                       SystemIsWindows9x());
  devices_->Serve(*port_);
  port_->SetPortName(target_.portName);
  port_->SetSerialParameters(line.baud, line.parity, line.dataBits, line.stopBits);
}

PrinterConnection::~PrinterConnection() {
  Close();
}

void PrinterConnection::Close() {
  if (!port_->IsOpen()) return;
  // A plain close would drop the last command if the line still holds it.
  if (!port_->CloseAfterSending(kSendLimitMs))
    err_ << "quillmark-cli: the printer did not take the last bytes in time\n";
}

bool PrinterConnection::Open() {
  if (!target_.problem.empty()) {
    failure_ = std::string(kCannotOpenMessage) + "\n\n" + target_.problem + ".";
  } else if (port_->Open()) {
    if (port_->GetInterfaceType() == Usb) port_->Close();
    return true;
  } else {
    failure_ = OpenFailureMessage(*port_);
  }
  // One line on a terminal: the window's paragraphs become sentences.
  for (size_t at; (at = failure_.find("\n\n")) != std::string::npos;) failure_.replace(at, 2, " ");
  return false;
}

}  // namespace qm::cli
