#include "profile/PrinterProfile.h"

#include <cstdio>
#include <set>

#include "settings/MemoryBank.h"

namespace qm::profile {
namespace {

constexpr const char* kNotRead = "(not read)";
constexpr const char* kNoSelection = "(none)";
constexpr std::array<const char*, 3> kPrinterFields{"model name", "model type",
                                                   "firmware version"};
constexpr std::array<const char*, 2> kTagTypes{"GEN2", "ISO-B"};
// What ">RFS" carries for each tag type, in list order.
constexpr std::array<int, 2> kTagTypeCodes{5, 2};

std::string Hex(uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string FieldText(const bankcode::BankField& field) {
  if (field.label) return std::string(*field.label);
  return field.index < 0 ? kNoSelection : std::to_string(field.index);
}

Json FieldJson(const bankcode::BankField& field) {
  if (field.label) return std::string(*field.label);
  return field.index < 0 ? Json(nullptr) : Json(field.index);
}

// The page a bank field stands on.
const char* PageOf(std::string_view field, int bank) {
  if (bank == kSerialBank) return "Serial";
  if (field == "code page" || field == "ics") return "Language";
  return "Print&Page";
}

Json Optional(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

Json ListValue(int index) {
  return index < 0 ? Json(nullptr) : Json(index);
}

std::string ListText(int index, const std::string& label) {
  return index < 0 ? kNoSelection : label;
}

// Reading a file: each object's fields are taken by name, and what is left
// over is named in `unknown`.
class Reader {
 public:
  Reader(std::vector<std::string>& unknown, std::string& error) : unknown_(unknown), error_(error) {}

  // The members of `object` at `path` that `known` does not hold.
  void Leftovers(const Json& object, const std::string& path, const std::set<std::string>& known) {
    if (!object.is_object()) return;
    for (const auto& [key, value] : object.items())
      if (!known.contains(key)) unknown_.push_back(path.empty() ? key : path + "." + key);
  }
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  bool Ok() const { return error_.empty(); }

  // A whole number from `least` to `most` at `path`, or null.
  std::optional<int> Number(const Json& value, const std::string& path, int least, int most) {
    if (value.is_null()) return std::nullopt;
    if (!value.is_number_integer() || value.get<long long>() < least ||
        value.get<long long>() > most) {
      Fail(path + " must be a whole number from " + std::to_string(least) + " to " +
           std::to_string(most));
      return std::nullopt;
    }
    return value.get<int>();
  }
  std::optional<std::string> Text(const Json& value, const std::string& path, size_t longest) {
    if (value.is_null()) return std::nullopt;
    if (!value.is_string() || value.get<std::string>().size() > longest ||
        !membank::IsPlainText(value.get<std::string>())) {
      Fail(path + " must be printable ASCII text of at most " + std::to_string(longest) +
           " characters");
      return std::nullopt;
    }
    return value.get<std::string>();
  }

 private:
  std::vector<std::string>& unknown_;
  std::string& error_;
};

const Json& Member(const Json& object, const char* key) {
  static const Json kNull;
  return object.is_object() && object.contains(key) ? object.at(key) : kNull;
}

void ReadEncoder(const Json& rfid, Reader& reader, Profile& profile) {
  if (rfid.is_null()) return;
  const Json& raw = Member(rfid, "raw");
  if (!rfid.is_object() || !raw.is_object()) {
    reader.Fail("rfid must hold its raw settings");
    return;
  }
  reader.Leftovers(rfid, "rfid",
                   {"raw", "tag type", "writing power", "transponder position", "number of retry",
                    "number of label"});
  reader.Leftovers(raw, "rfid.raw",
                   {"tag type code", "writing power", "transponder position", "number of retry",
                    "number of label"});
  EncoderSettings e;
  if (auto code = reader.Number(Member(raw, "tag type code"), "rfid.raw.tag type code", 0, 9)) {
    for (size_t i = 0; i < kTagTypeCodes.size(); ++i)
      if (kTagTypeCodes[i] == *code) e.tagType = int(i);
    if (e.tagType < 0) reader.Fail("rfid.raw.tag type code must be 5 (GEN2) or 2 (ISO-B)");
  }
  // The encoder takes the power as the entry's position, 1 to 31.
  if (auto position = reader.Number(Member(raw, "writing power"), "rfid.raw.writing power", 1,
                                    kWritingPowerEntries))
    e.writingPower = *position - 1;
  e.retryCount = reader.Number(Member(raw, "number of retry"), "rfid.raw.number of retry", 0,
                               kRetryEntries - 1)
                     .value_or(-1);
  e.labelCount = reader.Number(Member(raw, "number of label"), "rfid.raw.number of label", 0,
                               kLabelEntries - 1)
                     .value_or(-1);
  const Json& position = Member(raw, "transponder position");
  if (!position.is_string() || !IsTransponderPosition(position.get<std::string>()))
    reader.Fail("rfid.raw.transponder position must be a whole number of at most 4 digits");
  else
    e.transponderPosition = position.get<std::string>();
  profile.encoder = e;
}

}  // namespace

EncoderSettings FromRfid(const RfidSettings& s) {
  return {s.tagType, s.writingPower, s.transponderPosition, s.retryCount, s.labelCount};
}

RfidSettings ToRfid(const EncoderSettings& e) {
  RfidSettings s;
  s.tagType = e.tagType;
  s.writingPower = e.writingPower;
  s.transponderPosition = e.transponderPosition;
  s.retryCount = e.retryCount;
  s.labelCount = e.labelCount;
  return s;
}

Json ToJson(const Profile& p) {
  Json json = {{"format", kFormatName}, {"version", kFormatVersion}};
  Json& printer = json["printer"] = Json::object();
  for (size_t i = 0; i < kPrinterFields.size(); ++i) printer[kPrinterFields[i]] = Optional(p.printer[i]);

  Json& banks = json["banks"] = Json::object();
  for (int bank = 1; bank <= kBankCount; ++bank) {
    const auto& value = p.banks[size_t(bank - 1)];
    Json& entry = banks[std::to_string(bank)];
    if (!value) continue;  // stays null
    entry = {{"raw", *value}};
    for (const bankcode::BankField& field : bankcode::BankFields(bank, *value))
      entry[std::string(field.name)] = FieldJson(field);
  }

  Json& identity = json["identity"] = Json::object();
  for (size_t i = 0; i < kIdentityItems.size(); ++i)
    identity[std::string(kIdentityItems[i].meaning)] = Optional(p.identity[i]);

  Json& rfid = json["rfid"];
  if (p.encoder) {
    const EncoderSettings& e = *p.encoder;
    rfid = {{"tag type", e.tagType < 0 ? Json(nullptr) : Json(kTagTypes[size_t(e.tagType)])},
            {"writing power",
             e.writingPower < 0 ? Json(nullptr) : Json(WritingPowerLabel(e.writingPower))},
            {"transponder position", e.transponderPosition},
            {"number of retry", ListValue(e.retryCount)},
            {"number of label", ListValue(e.labelCount)}};
    rfid["raw"] = {
        {"tag type code", e.tagType < 0 ? Json(nullptr) : Json(kTagTypeCodes[size_t(e.tagType)])},
        {"writing power", e.writingPower < 0 ? Json(nullptr) : Json(e.writingPower + 1)},
        {"transponder position", e.transponderPosition},
        {"number of retry", ListValue(e.retryCount)},
        {"number of label", ListValue(e.labelCount)}};
  }
  json["missing"] = p.missing;
  return json;
}

std::optional<Profile> FromJson(const Json& json, std::string& error) {
  error.clear();
  Profile p;
  Reader reader(p.unknown, error);
  if (!json.is_object() || Member(json, "format") != kFormatName) {
    error = std::string("not a printer profile (its \"format\" is not \"") + kFormatName + "\")";
    return std::nullopt;
  }
  if (!Member(json, "version").is_number_integer() || Member(json, "version").get<int>() < 1) {
    error = "the profile has no version";
    return std::nullopt;
  }
  reader.Leftovers(json, "",
                   {"format", "version", "printer", "banks", "identity", "rfid", "missing"});

  const Json& printer = Member(json, "printer");
  reader.Leftovers(printer, "printer", {kPrinterFields.begin(), kPrinterFields.end()});
  for (size_t i = 0; i < kPrinterFields.size(); ++i) {
    const Json& value = Member(printer, kPrinterFields[i]);
    if (value.is_string()) p.printer[i] = value.get<std::string>();
  }

  const Json& banks = Member(json, "banks");
  reader.Leftovers(banks, "banks", {"1", "2", "3", "4"});
  for (int bank = 1; bank <= kBankCount; ++bank) {
    const std::string key = std::to_string(bank);
    const Json& entry = Member(banks, key.c_str());
    if (entry.is_null()) continue;
    p.banks[size_t(bank - 1)] =
        reader.Number(Member(entry, "raw"), "banks." + key + ".raw", 0, 255);
    if (!p.banks[size_t(bank - 1)]) reader.Fail("banks." + key + " must hold its raw byte");
    std::set<std::string> known{"raw"};
    for (const bankcode::BankField& field : bankcode::BankFields(bank, 0))
      known.emplace(field.name);
    reader.Leftovers(entry, "banks." + key, known);
  }

  const Json& identity = Member(json, "identity");
  std::set<std::string> identityNames;
  for (size_t i = 0; i < kIdentityItems.size(); ++i) {
    const std::string name(kIdentityItems[i].meaning);
    identityNames.insert(name);
    p.identity[i] = reader.Text(Member(identity, name.c_str()), "identity." + name,
                                size_t(kIdentityItems[i].longest));
  }
  reader.Leftovers(identity, "identity", identityNames);

  ReadEncoder(Member(json, "rfid"), reader, p);
  for (const Json& name : Member(json, "missing"))
    if (name.is_string()) p.missing.push_back(name.get<std::string>());
  if (!reader.Ok()) return std::nullopt;
  return p;
}

namespace {

// Each setting with the bank it comes from (0 for none), in the pages' order.
struct Row {
  Setting setting;
  int bank = 0;
};

std::vector<Row> Rows(const Profile& p) {
  std::vector<Row> rows;
  auto bankRows = [&](int bank, std::initializer_list<std::string_view> names) {
    const auto& value = p.banks[size_t(bank - 1)];
    for (const bankcode::BankField& field : bankcode::BankFields(bank, value.value_or(0))) {
      if (std::find(names.begin(), names.end(), field.name) == names.end()) continue;
      rows.push_back({{PageOf(field.name, bank), std::string(field.name),
                       value ? FieldText(field) : kNotRead},
                      bank});
    }
  };
  bankRows(kSerialBank, {"data length", "hand shake", "parity check", "parity", "stop bit",
                         "baud rate"});
  bankRows(kCodePageBank, {"code page"});
  bankRows(kIcsBank, {"ics"});
  bankRows(kIcsBank, {"print speed"});
  bankRows(kStrobeGapBank, {"print strobe", "gap detect position"});
  for (size_t i = 0; i < kIdentityItems.size(); ++i)
    rows.push_back({{"Hardware Info", std::string(kIdentityItems[i].meaning),
                     p.identity[i].value_or(kNotRead)}});
  const bool encoder = p.encoder.has_value();
  const EncoderSettings e = p.encoder.value_or(EncoderSettings{});
  auto rfid = [&](const char* name, const std::string& shown) {
    rows.push_back({{"RFID", name, encoder ? shown : kNotRead}});
  };
  rfid("tag type", ListText(e.tagType, e.tagType < 0 ? "" : kTagTypes[size_t(e.tagType)]));
  rfid("writing power", ListText(e.writingPower, WritingPowerLabel(e.writingPower)));
  rfid("transponder position", e.transponderPosition);
  rfid("number of retry", ListText(e.retryCount, std::to_string(e.retryCount)));
  rfid("number of label", ListText(e.labelCount, std::to_string(e.labelCount)));
  return rows;
}

}  // namespace

std::vector<Setting> Settings(const Profile& profile) {
  std::vector<Setting> settings;
  for (Row& row : Rows(profile)) settings.push_back(std::move(row.setting));
  return settings;
}

std::vector<Difference> Compare(const Profile& file, const Profile& printer, bool all) {
  const std::vector<Row> ours = Rows(file);
  const std::vector<Row> theirs = Rows(printer);
  std::vector<Difference> differences;
  std::array<bool, kBankCount> bankListed{};
  for (size_t i = 0; i < ours.size(); ++i) {
    const Setting& a = ours[i].setting;
    const Setting& b = theirs[i].setting;
    const bool differs = a.shown != b.shown;
    if (differs && ours[i].bank) bankListed[size_t(ours[i].bank - 1)] = true;
    if (differs || all) differences.push_back({a.group, a.name, a.shown, b.shown, differs});
  }
  // Bits no page shows still make the byte a restore writes: name the bank.
  for (int bank = 1; bank <= kBankCount; ++bank) {
    const auto& a = file.banks[size_t(bank - 1)];
    const auto& b = printer.banks[size_t(bank - 1)];
    if (a && b && *a != *b && !bankListed[size_t(bank - 1)])
      differences.push_back({"Bank", "bank " + std::to_string(bank), Hex(*a), Hex(*b), true});
  }
  return differences;
}

std::optional<std::string> OtherModelQuestion(const Profile& file, const Profile& printer) {
  const auto& ours = file.printer[0];
  const auto& theirs = printer.printer[0];
  if (!ours || !theirs || membank::WithoutLineEnd(*ours) == membank::WithoutLineEnd(*theirs))
    return std::nullopt;
  return "The profile was taken from a " + membank::WithoutLineEnd(*ours) +
         "; this printer is a " + membank::WithoutLineEnd(*theirs) +
         ". Write its settings all the same?";
}

}  // namespace qm::profile
