// Build-time tool: writes what the installed system learns about the USB
// printers device discovery recognises, straight from discovery's own table,
// so the two can never name different printers.
//
//   qm_usb_products udev-rule OUT
//       the udev rule that lets the logged-in user open those printers'
//       usblp nodes (/dev/usb/lpN)
//   qm_usb_products metainfo TEMPLATE OUT
//       TEMPLATE with its line holding @USB_MODALIASES@ replaced by one
//       <modalias> per printer, so software centres offer the tool for them
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "link/UsbProducts.h"

namespace {

// "vid_7c2e&pid_0005" holds the vendor at 4..7 and the product at 13..16.
std::string_view Vendor(const qm::KnownUsbProduct& product) {
  return std::string_view(product.pathIdentifier).substr(4, 4);
}
std::string_view Product(const qm::KnownUsbProduct& product) {
  return std::string_view(product.pathIdentifier).substr(13, 4);
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'f') c = char(c - 'a' + 'A');
  return upper;
}

std::string UdevRule() {
  std::ostringstream rule;
  rule << "# Quillmark: the logged-in user may open the USB label printers the tool\n"
          "# recognises (their /dev/usb/lpN nodes) without joining the lp group.\n"
          "# Serial and parallel ports stay with the dialout and lp groups.\n"
          "# Generated from the tool's USB product table; do not edit.\n"
          "ACTION==\"remove\", GOTO=\"quillmark_end\"\n"
          "SUBSYSTEM!=\"usbmisc\", GOTO=\"quillmark_end\"\n"
          "KERNEL!=\"lp[0-9]*\", GOTO=\"quillmark_end\"\n";
  for (const qm::KnownUsbProduct& product : qm::kKnownUsbProducts)
    rule << "ATTRS{idVendor}==\"" << Vendor(product) << "\", ATTRS{idProduct}==\""
         << Product(product) << "\", TAG+=\"uaccess\"\n";
  rule << "LABEL=\"quillmark_end\"\n";
  return rule.str();
}

bool Metainfo(const char* templatePath, std::string& text) {
  std::ifstream in(templatePath);
  if (!in) return false;
  std::ostringstream out;
  bool replaced = false;
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find("@USB_MODALIASES@");
    if (at == std::string::npos) {
      out << line << "\n";
      continue;
    }
    const std::string indent = line.substr(0, at);
    for (const qm::KnownUsbProduct& product : qm::kKnownUsbProducts)
      out << indent << "<modalias>usb:v" << Upper(Vendor(product)) << "p" << Upper(Product(product))
          << "d*</modalias>\n";
    replaced = true;
  }
  text = out.str();
  return replaced;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view what = argc > 1 ? argv[1] : "";
  std::string text;
  const char* outPath = nullptr;
  if (what == "udev-rule" && argc == 3) {
    text = UdevRule();
    outPath = argv[2];
  } else if (what == "metainfo" && argc == 4) {
    if (!Metainfo(argv[2], text)) {
      std::cerr << "qm_usb_products: " << argv[2] << " cannot be read or has no @USB_MODALIASES@\n";
      return 1;
    }
    outPath = argv[3];
  } else {
    std::cerr << "usage: qm_usb_products udev-rule OUT | metainfo TEMPLATE OUT\n";
    return 2;
  }
  std::ofstream out(outPath, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "qm_usb_products: cannot write " << outPath << "\n";
    return 1;
  }
  return 0;
}
