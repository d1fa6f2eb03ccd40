#pragma once

#include <optional>
#include <string>
#include <vector>

#include "profile/PrinterProfile.h"

namespace qm {
class Clock;
class PrinterPort;
}  // namespace qm

namespace qm::profile {

// Reads every value a profile holds, with the pages' own operations: the
// four banks, the identity strings, the printer information and the
// encoder's settings. `failed` names each read that got no reply; a printer
// whose memory answered but whose encoder did not has no encoder.
struct BackupResult {
  Profile profile;
  std::vector<std::string> failed;
  bool Complete() const { return failed.empty(); }
};
BackupResult ReadProfile(PrinterPort& port, Clock& clock);

// One write a restore makes: a bank, an identity string or the encoder's
// settings (which go out together), with the settings it changes.
struct RestoreStep {
  enum class Kind { Bank, Identity, Encoder } kind;
  int index = 0;  // the bank number or identity item
  std::string what;
  std::vector<Difference> changes;
};
struct RestorePlan {
  std::vector<RestoreStep> steps;  // in the order they are written, the serial bank last
  // Differences left alone, each with why ("serial number: identity strings
  // are restored only when asked").
  std::vector<std::string> skipped;
  // What the printer cannot take at all (a profile with encoder settings for
  // a printer without an encoder).
  std::vector<std::string> impossible;
  bool ChangesSerialLine() const;
};
// What must be written to make `printer` hold what `file` holds. A setting
// the printer did not report is written; one the file lacks is not.
RestorePlan PlanRestore(const Profile& file, const Profile& printer, const std::vector<std::string>& printerFailed,
                        bool identity);

struct RestoreResult {
  std::vector<std::string> written;   // written and read back as the file holds
  std::vector<std::string> notTaken;  // written but read back otherwise (or not at all), or unwritable
  bool Succeeded() const { return notTaken.empty(); }
};
// Writes each step of `plan` as the pages do, then reads every written
// setting back.
RestoreResult RunRestore(PrinterPort& port, Clock& clock, const Profile& file,
                         const RestorePlan& plan);

// The notices the Serial page gives after a new line setting.
inline constexpr const char* kSerialNotices[] = {
    "Please, turn off the printer and turn on the printer",
    "Please, close application and re-connect printer"};

// The file: written whole or not at all (a temporary file beside it, then
// renamed over it). False with the reason in `error`.
bool SaveProfileFile(const std::string& path, const Profile& profile, std::string& error);
std::optional<Profile> LoadProfileFile(const std::string& path, std::string& error);

}  // namespace qm::profile
