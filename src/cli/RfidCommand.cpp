#include <cstring>
#include <optional>
#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "link/PrinterPort.h"
#include "rfid/RfidExchange.h"

namespace qm::cli {

namespace {

std::optional<int> Number(const std::string& text) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(text);
}

bool IsHex(const std::string& text) {
  return text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// "rfid get": the seven settings, one line each, as the configuration
// window shows them.
int Get(PrinterConnection& connection, std::ostream& out, std::ostream& err) {
  const RfidGetResult result = GetRfidSettings(connection.Port(), connection.GetClock(), {});
  if (!result.Succeeded()) {
    err << "quillmark-cli rfid: Get RFID setting is faied\n";
    return 1;
  }
  const RfidSettings& s = result.settings;
  auto entry = [](int index, std::string label) { return index < 0 ? "(none)" : label; };
  out << "tag type: " << entry(s.tagType, s.tagType == 1 ? "ISO-B" : "GEN2") << "\n"
      << "writing power: " << entry(s.writingPower, WritingPowerLabel(s.writingPower)) << "\n"
      << "transponder position: " << s.transponderPosition << "\n"
      << "number of retry: " << entry(s.retryCount, std::to_string(s.retryCount)) << "\n"
      << "number of label: " << entry(s.labelCount, std::to_string(s.labelCount)) << "\n"
      << "RFID valid: " << s.validCount << "\n"
      << "RFID void: " << s.voidCount << "\n";
  return 0;
}

}  // namespace

// "rfid get", "rfid read START COUNT", "rfid write START DATA", with --ascii
// and --user choosing the data form and the memory as the windows do.
int RunRfid(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions options;
  std::vector<std::string> rest;
  if (!TakeConnectionOptions(args, options, rest, err)) return 2;
  bool ascii = false;
  bool user = false;
  std::vector<std::string> words;
  for (const std::string& word : rest) {
    if (word == "--ascii")
      ascii = true;
    else if (word == "--user")
      user = true;
    else
      words.push_back(word);
  }
  auto usage = [&](const std::string& why) {
    err << "quillmark-cli rfid: " << why << "\n";
    return 2;
  };
  if (words.empty()) return usage("say get, read or write");
  const std::string& action = words[0];
  const size_t wanted = action == "get" ? 1 : 3;
  if ((action != "get" && action != "read" && action != "write") || words.size() != wanted)
    return usage(words.size() == wanted ? "unknown action '" + action + "'"
                                        : "wrong number of words for '" + action + "'");

  int start = 0;
  int count = 0;
  if (action != "get") {
    const auto number = Number(words[1]);
    if (!number || *number > 16) return usage("START must be a block number from 0 to 16");
    start = *number;
    if (action == "read") {
      const auto n = Number(words[2]);
      if (!n || *n < 1 || *n > 64) return usage("COUNT must be from 1 to 64 bytes");
      count = *n;
    } else {
      const std::string& data = words[2];
      // Hex data go out as typed, two characters a byte; a stray character
      // would reach the tag as something else.
      if (!ascii && (data.size() % 2 || !IsHex(data)))
        return usage("DATA must be hexadecimal digits, two a byte (or use --ascii)");
      count = int(ascii ? data.size() : data.size() / 2);
      if (count < 1 || count > 64) return usage("DATA must hold from 1 to 64 bytes");
    }
    if (!DataRangeFits(start, count))
      return usage("START and the byte count must not pass block 69");
  }

  PrinterConnection connection(err);
  if (!connection.Open(options)) return 1;
  if (action == "get") return Get(connection, out, err);

  if (action == "read") {
    RfidReadRequest request{ascii, user, start, count};
    const RfidReadResult result = ReadTagData(connection.Port(), connection.GetClock(), request);
    if (!result.sent) return 1;
    if (!result.Succeeded()) {
      err << "quillmark-cli rfid: Reading data is faied\n";
      return 1;
    }
    out << std::string(result.buffer.data(), result.received) << "\n";
    if (result.received < request.ReplyLength()) {
      err << "quillmark-cli rfid: short reply, " << result.received << " of "
          << request.ReplyLength() << " characters\n";
      return 1;
    }
    return 0;
  }

  RfidWriteRequest request;
  request.data = true;
  request.format = user ? TagDataFormat::User : ascii ? TagDataFormat::Ascii : TagDataFormat::Hex;
  request.startBlock = start;
  request.byteCount = count;
  request.cellText = words[2];
  if (RunWriteSequence(connection.Port(), request) != WriteOutcome::Written) return 1;
  // The connection waits for the bytes to leave the line before it closes.
  out << "Writing is success\n";
  return 0;
}

}  // namespace qm::cli
