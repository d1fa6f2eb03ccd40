#include "FakeUsbTree.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace qm::test {
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", unsigned(value));
  return text;
}

}  // namespace

FakeUsbTree::FakeUsbTree() {
  std::string pattern = (fs::temp_directory_path() / "qm-usbtree.XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  fs::create_directories(SysRoot() + "/class/usbmisc");
  fs::create_directories(DevRoot() + "/usb");
}

FakeUsbTree::~FakeUsbTree() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void FakeUsbTree::AddNode(const std::string& name, const std::string& port, uint16_t vendorId,
                          uint16_t productId, const std::string& target, std::string devName) {
  if (devName.empty()) devName = "usb/" + name;
  const std::string relDevice = "devices/pci0000:00/0000:00:14.0/usb1/" + port;
  const fs::path usbDevice = fs::path(SysRoot()) / relDevice;
  const fs::path node = usbDevice / (port + ":1.0") / "usbmisc" / name;
  fs::create_directories(node);
  WriteFile(usbDevice / "idVendor", Hex4(vendorId) + "\n");
  WriteFile(usbDevice / "idProduct", Hex4(productId) + "\n");
  WriteFile(usbDevice / "uevent", "DEVTYPE=usb_device\n");
  WriteFile(usbDevice / (port + ":1.0") / "uevent", "DEVTYPE=usb_interface\n");
  WriteFile(node / "uevent", "MAJOR=180\nMINOR=0\nDEVNAME=" + devName + "\n");
  fs::create_symlink("../../" + relDevice + "/" + port + ":1.0/usbmisc/" + name,
                     fs::path(SysRoot()) / "class/usbmisc" / name);
  if (!target.empty()) {
    fs::path link = fs::path(DevRoot()) / devName;
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);
  }
}

PtyNode::PtyNode() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
    throw std::runtime_error("cannot create a pseudo-terminal");
  path_ = ptsname(master_);
}

PtyNode::~PtyNode() {
  if (master_ >= 0) close(master_);
}

}  // namespace qm::test
