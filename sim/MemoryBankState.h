#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/InterfaceType.h"
#include "settings/SettingsTables.h"

namespace qm::sim {

// What the printer keeps for its user settings: the memory banks, the
// identity strings, the user-define values and what it tells about itself.
// The item tables are the tool's own (settings/SettingsTables.h).
struct MemoryBankState {
  // Banks 1 to 4 at [0] to [3], as a read-back answers them. A written value
  // waits in `staged` until the bank is applied.
  std::array<uint8_t, kBankCount> banks{};
  std::array<std::optional<uint8_t>, kBankCount> staged{};
  uint64_t applied = 0;
  // A fault: the bank (1 to 4) whose writes this printer takes in and then
  // drops, keeping its old value; 0 for none.
  int refusedBank = 0;

  // Identity strings by item (hardware version, serial number, printer ID),
  // and what a reset of each brings back.
  std::array<std::string, kIdentityItems.size()> identity = FactoryIdentity();
  std::array<std::string, kIdentityItems.size()> factoryIdentity = FactoryIdentity();

  // User-define values by item, factory values to start with.
  std::array<int, kUserItems.size()> userItems = FactoryUserItems();

  // Printer information, answered as text.
  std::string modelName = "QL-412";
  std::string modelType = "QL-412 TT";
  std::string firmwareVersion = "V1.33";
  std::string headTemperature = "35";

  // The interface this printer stands for: it answers a read-bank command
  // only when the command names it.
  InterfaceType answersOn = Serial;

  static std::array<std::string, kIdentityItems.size()> FactoryIdentity() {
    return {"1.00", "QL41200001", "QLP-01"};
  }
  static std::array<int, kUserItems.size()> FactoryUserItems() {
    std::array<int, kUserItems.size()> values{};
    for (size_t i = 0; i < kUserItems.size(); ++i) values[i] = kUserItems[i].factory;
    return values;
  }
};

}  // namespace qm::sim
