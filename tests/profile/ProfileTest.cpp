// The profile file, the comparison and the restore plan, without a printer.
#include <gtest/gtest.h>

#include <functional>

#include "profile/ProfileExchange.h"

namespace qm::profile {
namespace {

using Strings = std::vector<std::string>;

// A printer as the virtual one starts: every bank 0, an encoder.
Profile Factory() {
  Profile p;
  p.banks = {0x00, 0x00, 0x00, 0x00};
  p.identity = {"1.00", "QL41200001", "QLP-01"};
  p.printer = {"QL-412", "QL-412 TT", "V1.33"};
  p.encoder = EncoderSettings{0, 0, "600", 3, 2};
  return p;
}

struct FileCase {
  const char* name;
  std::function<void(Json&)> edit;
  std::string error;  // empty: the file loads
  Strings unknown;
};

TEST(ProfileFile, ReadsWhatItWritesAndNamesWhatItDoesNotKnow) {
  const FileCase cases[] = {
      {"as written", [](Json&) {}, "", {}},
      {"fields of a newer version",
       [](Json& j) {
         j["version"] = 2;
         j["taken by"] = "someone";
         j["banks"]["2"]["flow control"] = "RTS";
         j["rfid"]["raw"]["antenna"] = 2;
       },
       "",
       {"taken by", "banks.2.flow control", "rfid.raw.antenna"}},
      // The raw byte is what counts; the decoded text is for people.
      {"a decoded value edited by hand", [](Json& j) { j["banks"]["1"]["code page"] = 7; }, "", {}},
      {"not a profile", [](Json& j) { j["format"] = "label"; }, "not a printer profile", {}},
      {"a bank byte out of range", [](Json& j) { j["banks"]["3"]["raw"] = 256; },
       "banks.3.raw must be a whole number from 0 to 255", {}},
      {"a bank without its byte", [](Json& j) { j["banks"]["4"].erase("raw"); },
       "banks.4 must hold its raw byte", {}},
      {"an identity string too long", [](Json& j) { j["identity"]["printer ID"] = "12345678"; },
       "identity.printer ID must be printable ASCII text of at most 7 characters", {}},
      {"an unknown tag type", [](Json& j) { j["rfid"]["raw"]["tag type code"] = 7; },
       "rfid.raw.tag type code must be 5 (GEN2) or 2 (ISO-B)", {}},
      {"a transponder position that is no number",
       [](Json& j) { j["rfid"]["raw"]["transponder position"] = "6OO"; },
       "rfid.raw.transponder position must be a whole number", {}},
  };
  const Json written = ToJson(Factory());
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    Json json = written;
    c.edit(json);
    std::string error;
    const std::optional<Profile> read = FromJson(json, error);
    if (!c.error.empty()) {
      EXPECT_FALSE(read);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->unknown, c.unknown);
    EXPECT_EQ(ToJson(*read), written);
  }
}

struct CompareCase {
  const char* name;
  std::function<void(Profile&)> printer;
  Strings differences;  // "setting: file -> printer"
};

TEST(ProfileCompare, ListsEachSettingThatDiffers) {
  const CompareCase cases[] = {
      {"the same printer", [](Profile&) {}, {}},
      {"a serial bank with software hand shake and 57600 baud",
       [](Profile& p) { p.banks[1] = 0x61; },
       {"hand shake: Hardware -> Software", "baud rate: By Dip Switch -> 57600"}},
      // Strobe and gap detect share bank 4 and each reads the whole byte.
      {"strobe 3", [](Profile& p) { p.banks[3] = 0x40; },
       {"print strobe: 2 -> 3", "gap detect position: lower -> (none)"}},
      {"the ICS and the speed in one byte", [](Profile& p) { p.banks[2] = 0xC3; },
       {"ics: 0 -> 3", "print speed: Default -> 8ips"}},
      {"a bit no page shows", [](Profile& p) { p.banks[1] = 0x80; }, {"bank 2: 0x00 -> 0x80"}},
      {"an identity string the printer did not send",
       [](Profile& p) { p.identity[1].reset(); },
       {"serial number: QL41200001 -> (not read)"}},
      {"another power and retry count",
       [](Profile& p) { p.encoder->writingPower = 8, p.encoder->retryCount = -1; },
       {"writing power: 0 -> 9", "number of retry: 3 -> (none)"}},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(c.name);
    Profile printer = Factory();
    c.printer(printer);
    Strings listed;
    for (const Difference& d : Compare(Factory(), printer))
      listed.push_back(d.name + ": " + d.file + " -> " + d.printer);
    EXPECT_EQ(listed, c.differences);
  }
}

struct PlanCase {
  const char* name;
  std::function<void(Profile& file, Profile& printer)> make;
  bool identity;
  Strings printerFailed;
  Strings steps;
  Strings skipped;
  Strings impossible;
};

TEST(RestorePlan, WritesWhatDiffersAndTheSerialBankLast) {
  const PlanCase cases[] = {
      {"nothing differs", [](Profile&, Profile&) {}, false, {}, {}, {}, {}},
      {"serial, code page, strobe and encoder",
       [](Profile&, Profile& p) {
         p.banks = {0x04, 0x01, 0x00, 0x80};
         p.encoder->transponderPosition = "12";
       },
       false, {}, {"bank 1", "bank 4", "RFID settings", "bank 2"}, {}, {}},
      {"identity strings only when asked",
       [](Profile&, Profile& p) { p.identity[1] = "COPY"; }, false, {}, {},
       {"serial number: identity strings are restored only when asked"}, {}},
      {"identity strings asked for", [](Profile&, Profile& p) { p.identity[1] = "COPY"; }, true,
       {}, {"serial number"}, {}, {}},
      {"a bank the printer did not report is written",
       [](Profile&, Profile& p) { p.banks[2].reset(); }, false, {"bank 3"}, {"bank 3"}, {}, {}},
      {"a bank the partial file lacks is left alone",
       [](Profile& f, Profile& p) {
         f.banks[2].reset();
         f.missing = {"bank 3"};
         p.banks[2] = 0x40;
       },
       false, {}, {}, {"bank 3: not in the profile"}, {}},
      {"encoder settings for a printer without an encoder",
       [](Profile&, Profile& p) { p.encoder.reset(); }, false, {}, {}, {},
       {"RFID settings: the printer has no RFID encoder"}},
      {"encoder settings the encoder did not report are written",
       [](Profile&, Profile& p) { p.encoder.reset(); }, false, {"RFID settings"},
       {"RFID settings"}, {}, {}},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.name);
    Profile file = Factory();
    Profile printer = Factory();
    c.make(file, printer);
    const RestorePlan plan = PlanRestore(file, printer, c.printerFailed, c.identity);
    Strings steps;
    for (const RestoreStep& step : plan.steps) {
      steps.push_back(step.what);
      EXPECT_FALSE(step.changes.empty()) << step.what;
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(plan.skipped, c.skipped);
    EXPECT_EQ(plan.impossible, c.impossible);
  }
}

}  // namespace
}  // namespace qm::profile
