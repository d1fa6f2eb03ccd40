#include "link/SpoolerGuard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "base/Prompter.h"
#include "link/PortNames.h"
#include "link/PrinterPort.h"

namespace qm {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The local path a device URI addresses: "serial:/dev/ttyS0?baud=9600" and
// "file:///dev/ttyS0" both give "/dev/ttyS0"; a URI with a host part gives
// the path on that host, which never names a node here.
struct UriParts {
  std::string_view scheme;
  std::string_view authority;
  std::string_view path;
};

UriParts SplitUri(std::string_view uri) {
  UriParts parts;
  auto colon = uri.find(':');
  if (colon == std::string_view::npos) return parts;
  parts.scheme = uri.substr(0, colon);
  std::string_view rest = uri.substr(colon + 1);
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    auto slash = rest.find('/');
    parts.authority = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  parts.path = rest;
  return parts;
}

bool SameNode(const std::string& a, const std::string& b) {
  if (a == b) return true;
  // A queue may name the port by another of its names (a by-id link, say).
  std::error_code ea, eb;
  auto ca = std::filesystem::canonical(a, ea);
  auto cb = std::filesystem::canonical(b, eb);
  return !ea && !eb && ca == cb;
}

}  // namespace

bool QueueHoldsPort(const std::string& deviceUri, const std::string& portName, InterfaceType kind) {
  UriParts uri = SplitUri(deviceUri);
  if (kind == Usb) return EqualsIgnoringCase(uri.scheme, "usb");
  if (!uri.authority.empty() || uri.path.empty()) return false;
  auto node = DeviceNodeFor(portName);
  return node && SameNode(std::string(uri.path), *node);
}

std::string DriverConflictMessage(const std::string& queueName, const std::string& portName) {
  return queueName + " driver use " + portName +
         "\r\n\r\nPlease change the port of driver to other port.";
}

bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind, SpoolerSource& spooler,
                      Prompter& prompter) {
  for (const auto& queue : spooler.Queues()) {
    if (QueueHoldsPort(queue.deviceUri, port.PortName(), kind)) {
      prompter.Failure(DriverConflictMessage(queue.name, port.PortName()));
      return false;
    }
  }
  return true;
}

}  // namespace qm
