#include "sim/CommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>

#include "base/Version.h"
#include "base/Words.h"

namespace qm::sim {

namespace {

constexpr char kProgram[] = "quillmark-vprinter";

// One or two hex digits: a status byte as a test plan would write it.
std::optional<uint8_t> ParseHexByte(std::string_view text) {
  if (text.size() > 2) return std::nullopt;
  return ParseWholeNumber<uint8_t>(text, 16);
}

using Setter = std::function<bool(CommandLine&, std::string_view)>;

// An option whose value `set` checks and takes; a value it refuses is named
// with what the option needs.
void Add(CLI::App& app, CommandLine& c, const std::string& name, const char* hint,
         const char* help, Setter set, const char* typeName = "TEXT") {
  app.add_option_function<std::string>(
         name,
         [&c, name, hint, set](const std::string& value) {
           if (!set(c, value))
             throw CLI::ValidationError(name + " needs " + hint + ", not '" + value + "'");
         },
         help)
      ->type_name(typeName);
}

void AddFlag(CLI::App& app, const std::string& name, bool& into, const char* help) {
  app.add_flag(name, into, help)->disable_flag_override();
}

Setter Text(std::string CommandLine::*field) {
  return [field](CommandLine& c, std::string_view v) {
    c.*field = v;
    return !v.empty();
  };
}

// An identity string: it becomes the stored text and what a reset brings back.
Setter Identity(size_t item) {
  return [item](CommandLine& c, std::string_view v) {
    if (v.size() > size_t(kIdentityItems[item].longest)) return false;
    c.memory.identity[item] = c.memory.factoryIdentity[item] = std::string(v);
    return true;
  };
}

// Printer information: any text that fits its 32-byte answer with CR LF.
Setter Information(std::string MemoryBankState::*field) {
  return [field](CommandLine& c, std::string_view v) {
    if (v.size() > 30) return false;
    c.memory.*field = std::string(v);
    return true;
  };
}

// A whole number from `least` to `most`, stored through `take`.
Setter Number(int64_t least, int64_t most, std::function<void(CommandLine&, int64_t)> take) {
  return [least, most, take](CommandLine& c, std::string_view v) {
    const auto n = ParseWholeNumber<int64_t>(v);
    if (!n || *n < least || *n > most) return false;
    take(c, *n);
    return true;
  };
}

// A roll length given in millimetres, kept in dots (8 to the millimetre).
Setter RollLength(int MediaRoll::*field, int least) {
  return Number(least, 10000, [field](CommandLine& c, int64_t mm) {
    c.calibration.roll.*field = int(mm) * 8;
  });
}

Setter SensorLevel(std::optional<int> MediaRoll::*field) {
  return Number(0, 255, [field](CommandLine& c, int64_t level) {
    c.calibration.roll.*field = int(level);
  });
}

bool SetStatusPair(CommandLine& c, std::string_view v) {
  const size_t comma = v.find(',');
  if (comma == std::string_view::npos) return false;
  const auto first = ParseHexByte(v.substr(0, comma));
  const auto second = ParseHexByte(v.substr(comma + 1));
  if (!first || !second) return false;
  c.status.cpReply = {*first, *second};
  return true;
}

Setter StatusByte(uint8_t StatusFlags::*field) {
  return [field](CommandLine& c, std::string_view v) {
    const auto byte = ParseHexByte(v);
    if (byte) c.status.*field = *byte;
    return byte.has_value();
  };
}

bool SetErrorCode(CommandLine& c, std::string_view v) {
  const auto printable = [](char ch) { return ch > 0x20 && ch < 0x7F; };
  if (v.size() != 2 || !printable(v[0]) || !printable(v[1])) return false;
  c.status.errorCode = {v[0], v[1]};
  return true;
}

bool SetBank(CommandLine& c, std::string_view v) {
  const size_t eq = v.find('=');
  if (eq == std::string_view::npos) return false;
  const auto bank = ParseWholeNumber<int>(v.substr(0, eq));
  const auto byte = ParseHexByte(v.substr(eq + 1));
  if (!bank || *bank < 1 || *bank > kBankCount || !byte) return false;
  c.memory.banks[size_t(*bank - 1)] = *byte;
  return true;
}

bool SetInterface(CommandLine& c, std::string_view v) {
  const std::pair<std::string_view, InterfaceType> kinds[] = {
      {"serial", Serial}, {"parallel", Parallel}, {"usb", Usb}};
  for (const auto& [name, kind] : kinds) {
    if (v != name) continue;
    c.memory.answersOn = kind;
    return true;
  }
  return false;
}

bool SetTagEpc(CommandLine& c, std::string_view v) {
  if (v.empty() || v.size() % 2 || v.size() / 2 > c.rfid.tag.epc.size()) return false;
  for (size_t i = 0; i < v.size(); i += 2) {
    const auto byte = ParseHexByte(v.substr(i, 2));
    if (!byte) return false;
    c.rfid.tag.epc[i / 2] = *byte;
  }
  return true;
}

bool SetMedia(CommandLine& c, std::string_view v) {
  if (v != "gap" && v != "mark") return false;
  c.calibration.roll.kind = v == "gap" ? MediaRoll::Kind::Gap : MediaRoll::Kind::BlackMark;
  return true;
}

void AddConnection(CLI::App& app, CommandLine& c) {
  app.option_defaults()->group("Connection");
  Add(app, c, "--link", "a path", "also make PATH a symbolic link to the device",
      [](CommandLine& c, std::string_view v) {
        c.frontEnd.linkPath = v;
        return !v.empty();
      },
      "PATH");
  Add(app, c, "--log", "a file name", "log every chunk received and every reply, in hex",
      [](CommandLine& c, std::string_view v) {
        c.frontEnd.logPath = v;
        return !v.empty();
      },
      "FILE");
  Add(app, c, "--baud", "a positive bit rate",
      "receive no faster than a serial line at N bit/s (8N1)",
      Number(1, UINT32_MAX, [](CommandLine& c, int64_t n) { c.frontEnd.baud = uint32_t(n); }),
      "N");
  Add(app, c, "--store", "a folder",
      "write each firmware image, font and image received to DIR (firmware.bin, "
      "factory-font.bin, font-N.bin, image-NAME.pcx)",
      Text(&CommandLine::storeDir), "DIR");
}

void AddFaults(CLI::App& app, CommandLine& c) {
  app.option_defaults()->group("Faults");
  AddFlag(app, "--silent", c.faults.silent, "take every command in, never answer");
  Add(app, c, "--hangup-after", "a positive byte count",
      "close the terminal after N bytes have been received",
      Number(1, INT64_MAX, [](CommandLine& c, int64_t n) { c.frontEnd.hangupAfter = n; }), "N");
  AddFlag(app, "--short", c.faults.truncate, "leave the last byte off every reply");
  AddFlag(app, "--garbled", c.faults.garble, "invert every bit of every reply");
  Add(app, c, "--flaky", "a whole number seed",
      "from seed N, hold back, cut short, garble or drop about 3 replies in 100 each, and "
      "hang up after about one chunk in 1500",
      Number(0, UINT32_MAX,
             [](CommandLine& c, int64_t n) { c.faults.flakySeed = uint32_t(n); }),
      "N");
  Add(app, c, "--refuse-bank", "a bank 1 to 4",
      "take writes to memory bank N in, but keep its old value",
      Number(1, kBankCount, [](CommandLine& c, int64_t n) { c.memory.refusedBank = int(n); }), "N");
}

void AddPrinterState(CLI::App& app, CommandLine& c) {
  app.option_defaults()->group("Printer state");
  Add(app, c, "--cp", "two hex bytes HH,HH", "the two bytes \"^cp\" answers (default 00,00)",
      SetStatusPair, "HH,HH");
  Add(app, c, "--cu", "one hex byte HH", "the byte \"^cu\" answers (default 00)",
      StatusByte(&StatusFlags::cuReply), "HH");
  Add(app, c, "--cps", "one hex byte HH", "the byte \"CPS\" answers (default 00)",
      StatusByte(&StatusFlags::cpsReply), "HH");
  Add(app, c, "--ee", "two characters such as 08", "the error code \"^ee\" answers (default 00)",
      SetErrorCode, "NN");
  Add(app, c, "--bank", "a bank and a hex byte N=HH",
      "the value of memory bank N, 1 to 4 (hex, default 00)", SetBank, "N=HH");
  Add(app, c, "--hw-version", "at most 4 characters",
      "the hardware version (default 1.00), also its reset value", Identity(0));
  Add(app, c, "--serial-number", "at most 17 characters",
      "the serial number (default QL41200001), also its reset value", Identity(1));
  Add(app, c, "--printer-id", "at most 7 characters",
      "the user-defined printer ID (default QLP-01), also its reset value", Identity(2));
  const char* info = "a text of at most 30 characters";
  Add(app, c, "--model-name", info, "what \"^PI0\" answers (default QL-412)",
      Information(&MemoryBankState::modelName));
  Add(app, c, "--model-type", info, "what \"^PI1\" answers (default QL-412 TT)",
      Information(&MemoryBankState::modelType));
  Add(app, c, "--firmware", info, "what \"^PI2\" answers (default V1.33)",
      Information(&MemoryBankState::firmwareVersion));
  Add(app, c, "--head-temp", info, "the head temperature \"^PI4,0\" answers (default 35)",
      Information(&MemoryBankState::headTemperature));
  Add(app, c, "--interface", "serial, parallel or usb",
      "serial, parallel or usb: the interface a memory-bank read must name for the printer to "
      "answer (default serial)",
      SetInterface, "KIND");
  app.add_flag_callback(
      "--no-encoder", [&c] { c.rfid.fitted = false; },
      "a printer without an RFID encoder: \">RF\" commands get no answer");
  app.add_flag_callback(
      "--no-tag", [&c] { c.rfid.tag.present = false; }, "no RFID tag in the encoder's field");
  Add(app, c, "--tag-epc", "hex bytes such as 3000E2801160",
      "the first bytes of the tag's EPC memory (default zeros)", SetTagEpc, "HEX");
}

void AddPrinting(CLI::App& app, CommandLine& c) {
  app.option_defaults()->group("Printing");
  Add(app, c, "--print-dir", "a folder",
      "write every printed label to DIR as a PNG, numbered, with its copy count in the name",
      Text(&CommandLine::printDir), "DIR");
}

void AddMediaRoll(CLI::App& app, CommandLine& c) {
  app.option_defaults()->group("Media roll (what the sensing scan \"^MXd\" samples)");
  Add(app, c, "--media", "gap or mark",
      "labels separated by gaps or by black marks (default gap)", SetMedia, "gap|mark");
  Add(app, c, "--label-mm", "a length of 1 mm or more", "label length in mm (default 60)",
      RollLength(&MediaRoll::labelDots, 1), "N");
  Add(app, c, "--gap-mm", "a length in mm", "gap or mark length in mm (default 3)",
      RollLength(&MediaRoll::gapDots, 0), "N");
  Add(app, c, "--label-level", "a sensor level 0-255",
      "sensor reading over a label, 0-255 (default 40 on gap media, 200 on mark media)",
      SensorLevel(&MediaRoll::labelLevel), "N");
  Add(app, c, "--gap-level", "a sensor level 0-255",
      "sensor reading over a gap or mark, 0-255 (default 190 on gap media, 48 on mark media)",
      SensorLevel(&MediaRoll::gapLevel), "N");
  Add(app, c, "--noise", "a spread 0-255",
      "readings spread up to N either side of a level (default 3)",
      Number(0, 255, [](CommandLine& c, int64_t n) { c.calibration.roll.noise = int(n); }), "N");
  Add(app, c, "--seed", "a whole number", "seed of the reading noise (default 1)",
      Number(0, UINT32_MAX,
             [](CommandLine& c, int64_t n) { c.calibration.roll.seed = uint32_t(n); }),
      "N");
  Add(app, c, "--scan-ms-per-dot", "milliseconds 0-100",
      "feed time per sampled dot before a scan answers (default 0; 4 is as slow as a real "
      "printer)",
      Number(0, 100, [](CommandLine& c, int64_t n) { c.calibration.scanMsPerDot = int(n); }),
      "N");
}

// The whole command line, bound to `c`.
std::unique_ptr<CLI::App> MakeApp(CommandLine& c) {
  auto app = std::make_unique<CLI::App>(
      "Runs a virtual label printer on a pseudo-terminal. Prints the terminal's device path on "
      "one line, then answers the printer's commands on it until interrupted (SIGINT or "
      "SIGTERM).",
      kProgram);
  app->set_version_flag("--version", std::string(kProgram) + " " + kVersion);
  app->get_formatter()->column_width(26);
  AddConnection(*app, c);
  AddFaults(*app, c);
  AddPrinterState(*app, c);
  AddPrinting(*app, c);
  AddMediaRoll(*app, c);
  app->allow_extras();
  return app;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& result,
                      std::string& error) {
  const auto app = MakeApp(result);
  std::vector<std::string> words(args.rbegin(), args.rend());
  try {
    app->parse(words);
  } catch (const CLI::CallForHelp&) {
    result.help = true;
    return true;
  } catch (const CLI::CallForVersion&) {
    result.version = true;
    return true;
  } catch (const CLI::ParseError& e) {
    error = e.what();
    return false;
  }
  if (const auto extra = app->remaining(); !extra.empty()) {
    std::vector<std::string> known;
    for (const CLI::Option* option : app->get_options())
      for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
    const std::string word = extra.front();
    error = word.starts_with("-") ? "unknown option " + word + "; did you mean " +
                                        ClosestWord(word, known) + "?"
                                  : "unexpected '" + word + "'";
    return false;
  }
  return true;
}

std::string Usage(const std::string&) {
  CommandLine ignored;
  return MakeApp(ignored)->help();
}

std::string VersionText() { return std::string(kProgram) + " " + kVersion; }

}  // namespace qm::sim
