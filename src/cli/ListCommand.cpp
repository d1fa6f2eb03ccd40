#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <thread>

#include "cli/PrinterConnection.h"
#include "link/PortNames.h"
#include "link/PrinterPort.h"
#include "link/UsbDiscovery.h"
#include "link/UsbPrintRegistry.h"
#include "link/UsbProducts.h"
#include "status/StatusExchange.h"

namespace qm::cli {
namespace {

namespace fs = std::filesystem;

// One printer this machine can reach, and how to address it.
struct Reachable {
  std::string port;       // the --port value
  std::string kind;       // serial, parallel or usb
  std::string device;     // the node behind it
  std::string model = {};  // a USB printer's model name
  std::string usbId = {};  // "vid_…&pid_…"
  std::optional<bool> answered = {};  // with --probe: whether a printer answered
};

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// A standard serial port's node exists for every port the kernel reserves;
// only a port whose type is not 0 (unknown) has a UART behind it.
bool SerialPresent(const std::string& node, const std::string& sysRoot) {
  if (!Exists(node)) return false;
  const std::string name = fs::path(node).filename().string();
  if (!name.starts_with("ttyS")) return true;
  std::ifstream type(sysRoot + "/class/tty/" + name + "/type");
  int code = 0;
  return type >> code && code != 0;
}

std::string Under(const std::string& root, const std::string& node) {
  return node.starts_with("/dev/") ? root + node.substr(4) : node;
}

std::vector<Reachable> SerialAndParallel(const ListOptions& options) {
  std::vector<Reachable> found;
  for (int n = 1; n <= 10; ++n) {
    const std::string name = "COM" + std::to_string(n) + ":";
    const std::string node = DeviceNodeFor(name).value_or("");
    if (SerialPresent(Under(options.devRoot, node), options.sysRoot))
      found.push_back({name, "serial", node});
  }
  for (const std::string& node : SystemSerialDevices(options.devRoot))
    found.push_back({node, "serial", node});
  for (int n = 1; n <= 4; ++n) {
    const std::string name = "LPT" + std::to_string(n) + ":";
    const std::string node = DeviceNodeFor(name).value_or("");
    if (Exists(Under(options.devRoot, node))) found.push_back({name, "parallel", node});
  }
  return found;
}

// The USB printers of the known products, each addressed by its own node.
std::vector<Reachable> UsbPrinters(const ListOptions& options) {
  std::vector<Reachable> found;
  for (const UsbPrinterNode& node : SystemUsbDeviceSource(options.sysRoot, options.devRoot)->Enumerate()) {
    const std::string id = UsbPathIdentifier(node.vendorId, node.productId);
    const auto index = KnownProductByPathIdentifier(id);
    if (!index) continue;
    const auto names = UsbDriverNames(*index);
    found.push_back({node.devnode, "usb", node.devnode, names.empty() ? "" : names[0], id});
  }
  return found;
}

// Asks each serial port for its two-byte status, all at once.
void Probe(std::vector<Reachable>& found, const LineOptions& line) {
  std::vector<std::thread> threads;
  for (Reachable& entry : found) {
    if (entry.kind != "serial") continue;
    threads.emplace_back([&entry, &line] {
      std::ostringstream ignored;
      PrinterConnection connection(entry.port, line, ignored);
      entry.answered = connection.Open() &&
                       ExchangeStatus(connection.Port(), connection.GetClock(), StatusCommand::Cp,
                                      [] {})
                           .complete;
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

// The printers this machine can reach: serial ports present, parallel ports
// and the known USB printers, each with the --port value that addresses it.
int RunList(const ListOptions& options, Streams streams) {
  std::vector<Reachable> found = SerialAndParallel(options);
  for (Reachable& usb : UsbPrinters(options)) found.push_back(std::move(usb));
  if (options.probe) Probe(found, options.line);
  for (const Reachable& entry : found) {
    if (options.line.json) {
      nlohmann::ordered_json object = {{"port", entry.port}, {"kind", entry.kind}, {"device", entry.device}};
      if (!entry.model.empty()) object["model"] = entry.model;
      if (!entry.usbId.empty()) object["usb id"] = entry.usbId;
      if (entry.answered) object["answered"] = *entry.answered;
      streams.out << object.dump() << "\n";
      continue;
    }
    streams.out << "--port " << entry.port << "  " << entry.kind;
    if (entry.device != entry.port) streams.out << "  " << entry.device;
    if (!entry.model.empty()) streams.out << "  " << entry.model << " (" << entry.usbId << ")";
    if (entry.answered) streams.out << (*entry.answered ? "  printer answered" : "  no answer");
    streams.out << "\n";
  }
  if (found.empty()) streams.err << "quillmark-cli list: no printer port found\n";
  return kDone;
}

}  // namespace qm::cli
