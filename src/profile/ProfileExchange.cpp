#include "profile/ProfileExchange.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/FileWrite.h"

#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"
#include "settings/MemoryBank.h"

namespace qm::profile {
namespace {

constexpr std::array<int, 3> kPrinterInfo{0, 1, 2};  // model name, model type, firmware

std::string BankName(int bank) {
  return "bank " + std::to_string(bank);
}

// Each bank goes out in the form its own page sends it: bank 3 in the print
// speed's form when the byte carries a speed, in the ICS's otherwise.
membank::BankForm FormOf(int bank, uint8_t value) {
  if (bank == kStrobeGapBank) return membank::BankForm::Terminated;
  if (bank == kIcsBank && (value & ~bankcode::kIcsMask)) return membank::BankForm::Terminated;
  return membank::BankForm::Short;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<Difference> ChangesIn(const std::vector<Difference>& all, const std::string& group,
                                  std::initializer_list<std::string_view> names) {
  std::vector<Difference> picked;
  for (const Difference& d : all)
    if (d.group == group &&
        (names.size() == 0 || std::find(names.begin(), names.end(), d.name) != names.end()))
      picked.push_back(d);
  return picked;
}

}  // namespace

BackupResult ReadProfile(PrinterPort& port, Clock& clock) {
  BackupResult result;
  Profile& p = result.profile;
  for (int bank = 1; bank <= kBankCount; ++bank) {
    p.banks[size_t(bank - 1)] = ReadBank(port, clock, bank);
    if (!p.banks[size_t(bank - 1)]) result.failed.push_back(BankName(bank));
  }
  for (size_t i = 0; i < kIdentityItems.size(); ++i) {
    p.identity[i] = ReadIdentity(port, clock, kIdentityItems[i].item);
    if (!p.identity[i]) result.failed.emplace_back(kIdentityItems[i].meaning);
  }
  for (size_t i = 0; i < kPrinterInfo.size(); ++i) {
    auto text = ReadPrinterInfo(port, clock, kPrinterInfo[i]);
    if (text)
      p.printer[i] = membank::WithoutLineEnd(*text);
    else
      result.failed.emplace_back(FindPrinterInfoItem(kPrinterInfo[i])->meaning);
  }
  // A printer that answered nothing is not asked seven more questions.
  const size_t asked = kBankCount + kIdentityItems.size() + kPrinterInfo.size();
  if (result.failed.size() == asked) {
    result.failed.push_back("RFID settings");
  } else {
    const RfidGetResult rfid = GetRfidSettings(port, clock, RfidSettings{});
    if (rfid.Succeeded()) p.encoder = FromRfid(rfid.settings);
  }
  return result;
}

bool RestorePlan::ChangesSerialLine() const {
  return std::any_of(steps.begin(), steps.end(), [](const RestoreStep& s) {
    return s.kind == RestoreStep::Kind::Bank && s.index == kSerialBank;
  });
}

RestorePlan PlanRestore(const Profile& file, const Profile& printer,
                        const std::vector<std::string>& printerFailed, bool identity) {
  RestorePlan plan;
  const std::vector<Difference> all = Compare(file, printer, true);
  const std::vector<Difference> differences = Compare(file, printer);

  // Banks: the file's byte wherever the printer's differs or did not come.
  auto bank = [&](int n, const std::string& group, std::initializer_list<std::string_view> names) {
    const auto& ours = file.banks[size_t(n - 1)];
    const auto& theirs = printer.banks[size_t(n - 1)];
    if (!ours || (theirs && *theirs == *ours)) return;
    std::vector<Difference> changes;
    for (const Difference& d : all)
      if ((d.group == group && std::find(names.begin(), names.end(), d.name) != names.end() &&
           d.differs) ||
          d.name == BankName(n))
        changes.push_back(d);
    plan.steps.push_back({RestoreStep::Kind::Bank, n, BankName(n), changes});
  };
  bank(kCodePageBank, "Language", {"code page"});
  // Bank 3 holds the ICS and the print speed, which stand on two pages.
  {
    const auto& ours = file.banks[kIcsBank - 1];
    const auto& theirs = printer.banks[kIcsBank - 1];
    if (ours && !(theirs && *theirs == *ours)) {
      std::vector<Difference> changes = ChangesIn(differences, "Language", {"ics"});
      for (const Difference& d : ChangesIn(differences, "Print&Page", {"print speed"}))
        changes.push_back(d);
      for (const Difference& d : ChangesIn(differences, "Bank", {"bank 3"})) changes.push_back(d);
      plan.steps.push_back({RestoreStep::Kind::Bank, kIcsBank, BankName(kIcsBank), changes});
    }
  }
  bank(kStrobeGapBank, "Print&Page", {"print strobe", "gap detect position"});

  for (size_t i = 0; i < kIdentityItems.size(); ++i) {
    const auto& ours = file.identity[i];
    const std::string name(kIdentityItems[i].meaning);
    if (!ours || printer.identity[i] == ours) continue;
    if (!identity) {
      plan.skipped.push_back(name + ": identity strings are restored only when asked");
      continue;
    }
    plan.steps.push_back({RestoreStep::Kind::Identity, kIdentityItems[i].item, name,
                          ChangesIn(differences, "Hardware Info", {kIdentityItems[i].meaning})});
  }

  if (file.encoder && file.encoder != printer.encoder) {
    if (!printer.encoder && !Contains(printerFailed, "RFID settings")) {
      plan.impossible.push_back("RFID settings: the printer has no RFID encoder");
    } else if (auto list = UnselectedSettingsList(ToRfid(*file.encoder))) {
      plan.impossible.push_back("RFID settings: the profile has no " + *list);
    } else {
      plan.steps.push_back({RestoreStep::Kind::Encoder, 0, "RFID settings",
                            ChangesIn(differences, "RFID", {})});
    }
  }
  // The printer takes a new line setting only at its next start; written
  // last, it cannot cut off the writes before it.
  bank(kSerialBank, "Serial",
       {"data length", "hand shake", "parity check", "parity", "stop bit", "baud rate"});

  for (const std::string& name : file.missing)
    plan.skipped.push_back(name + ": not in the profile");
  return plan;
}

RestoreResult RunRestore(PrinterPort& port, Clock& clock, const Profile& file,
                         const RestorePlan& plan) {
  RestoreResult result;
  std::vector<const RestoreStep*> sent;
  for (const RestoreStep& step : plan.steps) {
    int ok = 0;
    switch (step.kind) {
      case RestoreStep::Kind::Bank: {
        const uint8_t value = *file.banks[size_t(step.index - 1)];
        ok = ChangeBank(port, step.index, value, FormOf(step.index, value));
        break;
      }
      case RestoreStep::Kind::Identity:
        ok = WriteIdentity(port, step.index, *file.identity[size_t(step.index)]);
        break;
      case RestoreStep::Kind::Encoder:
        // The configuration window's "Set": settings and position in one write.
        ok = port.Write(SetSettingsCommand(ToRfid(*file.encoder)));
        break;
    }
    if (ok)
      sent.push_back(&step);
    else
      result.notTaken.push_back(step.what + ": the port did not take the write");
  }
  // Every written setting is read back: a printer that ignored one must not
  // be reported as set up.
  for (const RestoreStep* step : sent) {
    bool taken = false;
    switch (step->kind) {
      case RestoreStep::Kind::Bank:
        taken = ReadBank(port, clock, step->index) == file.banks[size_t(step->index - 1)];
        break;
      case RestoreStep::Kind::Identity:
        taken = ReadIdentity(port, clock, step->index) == file.identity[size_t(step->index)];
        break;
      case RestoreStep::Kind::Encoder: {
        const RfidGetResult got = GetRfidSettings(port, clock, RfidSettings{});
        taken = got.Succeeded() && FromRfid(got.settings) == *file.encoder;
        break;
      }
    }
    if (taken)
      result.written.push_back(step->what);
    else
      result.notTaken.push_back(step->what + ": the printer did not keep it");
  }
  for (const std::string& why : plan.impossible) result.notTaken.push_back(why);
  return result;
}

bool SaveProfileFile(const std::string& path, const Profile& profile, std::string& error) {
  const std::string text = ToJson(profile).dump(2) + "\n";
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string temp = (slash == std::string::npos ? std::string("./") : folder) + ".profile-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = "cannot write in " + folder + ": " + std::strerror(errno);
    return false;
  }
  // Permissions as a plain new file would get them.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  const bool written = WriteAll(fd, text) && fsync(fd) == 0;
  const int savedErrno = errno;
  ::close(fd);
  if (!written || std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(written ? errno : savedErrno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::optional<Profile> LoadProfileFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  const Json json = Json::parse(text.str(), nullptr, false);
  if (json.is_discarded()) {
    error = path + " is not JSON";
    return std::nullopt;
  }
  auto profile = FromJson(json, error);
  if (!profile) error = path + ": " + error;
  return profile;
}

}  // namespace qm::profile
