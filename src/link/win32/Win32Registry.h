#pragma once

#include "link/UsbPrintRegistry.h"

namespace qm {

// The USB print registry repair's calls on this machine's registry:
// HKEY_LOCAL_MACHINE keys, their values and their access lists.
class Win32UsbPrintRegistry : public UsbPrintRegistry {
 public:
  std::string ComputerName() override;
  std::vector<std::string> SubKeys(const std::string& keyPath) override;
  bool SetDwordValue(const std::string& keyPath, const std::string& valueName,
                     uint32_t value) override;
  // Opens the key with the rights to read and to rewrite its access list:
  // READ_CONTROL alone would let the read succeed and the write be refused.
  int MergeAccessEntry(const RegistryObject& object, const AccessEntry& entry) override;
};

}  // namespace qm
