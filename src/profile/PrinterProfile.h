#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "rfid/RfidCommands.h"
#include "settings/SettingsTables.h"

namespace qm::profile {

using Json = nlohmann::ordered_json;

// What the file calls itself, and the layout this build writes and reads.
inline constexpr const char* kFormatName = "quillmark printer profile";
inline constexpr int kFormatVersion = 1;

// The encoder settings a profile carries: those the configuration window's
// "Set" sends. The valid and void counters are the printer's history, not a
// setting.
struct EncoderSettings {
  int tagType = -1;  // list indices as RfidSettings holds them
  int writingPower = -1;
  std::string transponderPosition;
  int retryCount = -1;
  int labelCount = -1;
  bool operator==(const EncoderSettings&) const = default;
};
EncoderSettings FromRfid(const RfidSettings& settings);
RfidSettings ToRfid(const EncoderSettings& settings);

// Everything the tool can read back from one printer. A value that could not
// be read (a partial backup) is empty and its name is in `missing`.
struct Profile {
  std::array<std::optional<uint8_t>, kBankCount> banks{};  // banks 1 to 4 at [0] to [3]
  std::array<std::optional<std::string>, kIdentityItems.size()> identity{};
  // Model name, model type and firmware version: for the record, and to
  // tell when a profile is restored to another model.
  std::array<std::optional<std::string>, 3> printer{};
  // Empty when the printer has no encoder (or its settings are missing).
  std::optional<EncoderSettings> encoder;
  std::vector<std::string> missing;
  // Fields a newer version wrote that this one does not know, by their path
  // in the file ("banks.2.flow"); kept and named, never applied.
  std::vector<std::string> unknown;
};

// The file's text: versioned, each value decoded as the pages show it beside
// its raw bank byte or text.
Json ToJson(const Profile& profile);
// The profile a file holds, or nothing with the reason in `error`. The raw
// values are what counts; the decoded ones are for people reading the file.
std::optional<Profile> FromJson(const Json& json, std::string& error);

// One setting as a person reads it: its group, its name and its value as the
// pages show it ("(not read)" when the profile lacks it).
struct Setting {
  std::string group;
  std::string name;
  std::string shown;
};
std::vector<Setting> Settings(const Profile& profile);

// A setting whose value differs between two profiles (the file's and the
// printer's); with `all` every setting, different or not.
struct Difference {
  std::string group;
  std::string name;
  std::string file;
  std::string printer;
  bool differs = true;
};
std::vector<Difference> Compare(const Profile& file, const Profile& printer, bool all = false);

// Where a model name differs from the profile's, the question to ask before
// anything is written; nothing when they match or either is unknown.
std::optional<std::string> OtherModelQuestion(const Profile& file, const Profile& printer);

}  // namespace qm::profile
