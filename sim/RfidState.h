#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qm::sim {

// The tag in the encoder's field: EPC and user memory, its two passwords,
// the lock state of its memories and whether it has been killed.
struct RfidTag {
  static constexpr size_t kMemoryBytes = 96;
  std::array<uint8_t, kMemoryBytes> epc{};
  std::array<uint8_t, kMemoryBytes> user{};
  std::string accessPassword = "00000000";
  std::string killPassword = "00000000";
  // Gen2 lock fields, in payload order: kill password, access password, EPC,
  // TID, user memory. A locked field takes writes only from an encoder that
  // holds the access password; a permanently locked one never changes its
  // lock state again.
  std::array<bool, 5> locked{};
  std::array<bool, 5> permalocked{};
  bool killed = false;
  bool present = true;
};

// The RFID encoder: its settings as ">RFS" and ">RFTP" set them, the valid
// and void counters of labels printed after a tag write, and the tag.
struct RfidEncoder {
  // A printer without an encoder takes ">RF" lines in and never answers them.
  bool fitted = true;
  int tagTypeCode = 5;   // 5 GEN2, 2 ISO-B
  int writingPower = 1;  // 1-based position, 1..31
  std::string transponderPosition = "600";
  int retryCount = 3;
  int labelCount = 2;
  uint32_t validCount = 0;
  uint32_t voidCount = 0;
  uint32_t calibrations = 0;
  // The access password the encoder presents to the tag, once set by ">RFZ".
  std::string presentedPassword;
  // The outcome of the last data write, waiting for its label to print.
  enum class Pending { None, Valid, Void } pending = Pending::None;
  RfidTag tag;
};

}  // namespace qm::sim
