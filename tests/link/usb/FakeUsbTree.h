#pragma once

#include <cstdint>
#include <string>

namespace qm::test {

// A throw-away sysfs and /dev laid out like the kernel's for USB printers:
//
//   sys/devices/pci0000:00/0000:00:14.0/usb1/<port>/idVendor, idProduct
//   sys/devices/.../<port>/<port>:1.0/usbmisc/<name>/uevent   (DEVNAME=…)
//   sys/class/usbmisc/<name> -> ../../devices/.../usbmisc/<name>
//   dev/<devName>  -> the node the test wants opened (a pty, usually)
//
// Removed with everything in it when destroyed.
class FakeUsbTree {
 public:
  FakeUsbTree();
  ~FakeUsbTree();
  FakeUsbTree(const FakeUsbTree&) = delete;
  FakeUsbTree& operator=(const FakeUsbTree&) = delete;

  // Adds printer node `name` (lp0, …) on USB port `port` (1-1, 1-2, …);
  // its node dev/<devName> (default usb/<name>) links to `target`, or is
  // missing when `target` is empty.
  void AddNode(const std::string& name, const std::string& port, uint16_t vendorId,
               uint16_t productId, const std::string& target, std::string devName = {});

  const std::string& root() const { return root_; }
  std::string SysRoot() const { return root_ + "/sys"; }
  std::string DevRoot() const { return root_ + "/dev"; }

 private:
  std::string root_;
};

// The slave side of a fresh pseudo-terminal, a stand-in for a printer node
// that opens for reading and writing. The master stays open while it lives.
class PtyNode {
 public:
  PtyNode();
  ~PtyNode();
  PtyNode(const PtyNode&) = delete;
  PtyNode& operator=(const PtyNode&) = delete;
  const std::string& path() const { return path_; }
  int master() const { return master_; }

 private:
  int master_ = -1;
  std::string path_;
};

}  // namespace qm::test
