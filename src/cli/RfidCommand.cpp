#include <ostream>

#include "cli/PortRunner.h"
#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"

namespace qm::cli {
namespace {

// The bytes a read asks for or a write carries.
int ByteCount(const RfidOptions& options) {
  if (options.action == RfidAction::Read) return options.count;
  return int(options.ascii ? options.data.size() : options.data.size() / 2);
}

constexpr const char* kName = "quillmark-cli rfid: ";

bool IsHex(const std::string& text) {
  return text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// What the ranges alone cannot refuse; empty when the words are right.
std::string Problem(const RfidOptions& options) {
  if (options.action == RfidAction::Write) {
    const std::string& data = options.data;
    // Hex data go out as typed, two characters a byte; a stray character
    // would reach the tag as something else.
    if (!options.ascii && (data.size() % 2 || !IsHex(data)))
      return "DATA must be hexadecimal digits, two a byte (or use --ascii)";
    const size_t count = options.ascii ? data.size() : data.size() / 2;
    if (count < 1 || count > 64) return "DATA must hold from 1 to 64 bytes";
  }
  if (options.action != RfidAction::Get && !DataRangeFits(options.start, ByteCount(options)))
    return "START and the byte count must not pass block 69";
  return "";
}

// "rfid get": the seven settings, one line each, as the configuration
// window shows them.
PortResult Get(PortSession& session) {
  const RfidGetResult result = GetRfidSettings(session.port, session.clock, {});
  if (!result.Succeeded()) {
    session.err << kName << "Get RFID setting is faied\n";
    return {kFailed, {{"error", "Get RFID setting is faied"}}};
  }
  const RfidSettings& s = result.settings;
  auto entry = [](int index, std::string label) { return index < 0 ? "(none)" : label; };
  const std::string tagType = entry(s.tagType, s.tagType == 1 ? "ISO-B" : "GEN2");
  const std::string power = entry(s.writingPower, WritingPowerLabel(s.writingPower));
  session.out << "tag type: " << tagType << "\n"
              << "writing power: " << power << "\n"
              << "transponder position: " << s.transponderPosition << "\n"
              << "number of retry: " << entry(s.retryCount, std::to_string(s.retryCount)) << "\n"
              << "number of label: " << entry(s.labelCount, std::to_string(s.labelCount)) << "\n"
              << "RFID valid: " << s.validCount << "\n"
              << "RFID void: " << s.voidCount << "\n";
  auto numberOrNull = [](int n) { return n < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(n); };
  return {kDone,
          {{"tag type", s.tagType < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(tagType)},
           {"writing power", s.writingPower < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(power)},
           {"transponder position", s.transponderPosition},
           {"number of retry", numberOrNull(s.retryCount)},
           {"number of label", numberOrNull(s.labelCount)},
           {"RFID valid", s.validCount},
           {"RFID void", s.voidCount}}};
}

PortResult Read(const RfidOptions& options, PortSession& session) {
  const RfidReadRequest request{options.ascii, options.user, options.start, options.count};
  const RfidReadResult result = ReadTagData(session.port, session.clock, request);
  if (!result.sent) return {kFailed, {{"error", "the printer did not take the command"}}};
  if (!result.Succeeded()) {
    session.err << kName << "Reading data is faied\n";
    return {kFailed, {{"error", "Reading data is faied"}}};
  }
  const std::string data(result.buffer.data(), result.received);
  session.out << data << "\n";
  PortResult report{kDone,
                    {{"start", options.start},
                     {"count", options.count},
                     {"format", options.ascii ? "ascii" : "hex"},
                     {"memory", options.user ? "user" : "epc"},
                     {"data", data},
                     {"received", result.received},
                     {"expected", request.ReplyLength()}}};
  if (result.received < request.ReplyLength()) {
    session.err << kName << "short reply, " << result.received << " of " << request.ReplyLength()
                << " characters\n";
    report.code = kFailed;
    report.json["error"] = "short reply";
  }
  return report;
}

PortResult Write(const RfidOptions& options, PortSession& session) {
  RfidWriteRequest request;
  request.data = true;
  request.format = options.user    ? TagDataFormat::User
                   : options.ascii ? TagDataFormat::Ascii
                                   : TagDataFormat::Hex;
  request.startBlock = options.start;
  request.byteCount = ByteCount(options);
  request.cellText = options.data;
  if (RunWriteSequence(session.port, request) != WriteOutcome::Written)
    return {kFailed, {{"error", "the printer did not take the command"}}};
  // The connection waits for the bytes to leave the line before it closes.
  session.out << "Writing is success\n";
  return {kDone, {{"start", options.start}, {"count", request.byteCount}}};
}

}  // namespace

// "rfid get", "rfid read START COUNT", "rfid write START DATA", with --ascii
// and --user choosing the data form and the memory as the windows do.
int RunRfid(const RfidOptions& options, Streams streams) {
  if (const std::string problem = Problem(options); !problem.empty()) {
    streams.err << kName << problem << "\n";
    return kUsage;
  }
  return RunOnPorts(
      options.line,
      [&](PortSession& session) {
        switch (options.action) {
          case RfidAction::Get:
            return Get(session);
          case RfidAction::Read:
            return Read(options, session);
          case RfidAction::Write:
            return Write(options, session);
        }
        return PortResult{kUsage, {}};
      },
      streams);
}

}  // namespace qm::cli
