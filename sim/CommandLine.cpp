#include "sim/CommandLine.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

namespace qm::sim {

namespace {

template <typename Int>
std::optional<Int> ParseInt(std::string_view text, int base = 10) {
  Int value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// One or two hex digits: a status byte as a test plan would write it.
std::optional<uint8_t> ParseHexByte(std::string_view text) {
  if (text.size() > 2) return std::nullopt;
  return ParseInt<uint8_t>(text, 16);
}

using Setter = std::function<bool(CommandLine&, std::string_view)>;

struct Option {
  bool takesValue;
  Setter set;
  const char* valueHint;  // for error messages
};

// An identity string: it becomes the stored text and what a reset brings back.
Option IdentityOption(size_t item) {
  return {true,
          [item](CommandLine& c, std::string_view v) {
            if (v.size() > size_t(kIdentityItems[item].longest)) return false;
            c.memory.identity[item] = c.memory.factoryIdentity[item] = std::string(v);
            return true;
          },
          item == 0   ? "at most 4 characters"
          : item == 1 ? "at most 17 characters"
                      : "at most 7 characters"};
}

// Printer information: any text that fits its 32-byte answer with CR LF.
Option TextOption(std::string MemoryBankState::*field) {
  return {true,
          [field](CommandLine& c, std::string_view v) {
            if (v.size() > 30) return false;
            c.memory.*field = std::string(v);
            return true;
          },
          "a text of at most 30 characters"};
}

// A roll length given in millimetres, kept in dots (8 to the millimetre).
Setter RollLength(int MediaRoll::*field, int least) {
  return [field, least](CommandLine& c, std::string_view v) {
    const auto mm = ParseInt<int>(v);
    if (!mm || *mm < least || *mm > 10000) return false;
    c.calibration.roll.*field = *mm * 8;
    return true;
  };
}

Setter SensorLevel(std::optional<int> MediaRoll::*field) {
  return [field](CommandLine& c, std::string_view v) {
    const auto level = ParseInt<int>(v);
    if (!level || *level < 0 || *level > 255) return false;
    c.calibration.roll.*field = *level;
    return true;
  };
}

const std::map<std::string, Option, std::less<>>& Options() {
  static const std::map<std::string, Option, std::less<>> options{
      {"--help", {false, [](CommandLine& c, std::string_view) { return c.help = true; }, ""}},
      {"--link",
       {true,
        [](CommandLine& c, std::string_view v) {
          c.frontEnd.linkPath = v;
          return !v.empty();
        },
        "a path"}},
      {"--log",
       {true,
        [](CommandLine& c, std::string_view v) {
          c.frontEnd.logPath = v;
          return !v.empty();
        },
        "a file name"}},
      {"--print-dir",
       {true,
        [](CommandLine& c, std::string_view v) {
          c.printDir = v;
          return !v.empty();
        },
        "a folder"}},
      {"--baud",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto baud = ParseInt<uint32_t>(v);
          if (!baud || *baud == 0) return false;
          c.frontEnd.baud = *baud;
          return true;
        },
        "a positive bit rate"}},
      {"--hangup-after",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto count = ParseInt<uint64_t>(v);
          if (!count || *count == 0) return false;
          c.frontEnd.hangupAfter = *count;
          return true;
        },
        "a positive byte count"}},
      {"--store",
       {true,
        [](CommandLine& c, std::string_view v) {
          c.storeDir = v;
          return !v.empty();
        },
        "a folder"}},
      {"--silent",
       {false, [](CommandLine& c, std::string_view) { return c.faults.silent = true; }, ""}},
      {"--short",
       {false, [](CommandLine& c, std::string_view) { return c.faults.truncate = true; }, ""}},
      {"--garbled",
       {false, [](CommandLine& c, std::string_view) { return c.faults.garble = true; }, ""}},
      {"--cp",
       {true,
        [](CommandLine& c, std::string_view v) {
          const size_t comma = v.find(',');
          if (comma == std::string_view::npos) return false;
          const auto first = ParseHexByte(v.substr(0, comma));
          const auto second = ParseHexByte(v.substr(comma + 1));
          if (!first || !second) return false;
          c.status.cpReply = {*first, *second};
          return true;
        },
        "two hex bytes HH,HH"}},
      {"--cu",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto byte = ParseHexByte(v);
          if (byte) c.status.cuReply = *byte;
          return byte.has_value();
        },
        "one hex byte HH"}},
      {"--cps",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto byte = ParseHexByte(v);
          if (byte) c.status.cpsReply = *byte;
          return byte.has_value();
        },
        "one hex byte HH"}},
      {"--ee",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto printable = [](char ch) { return ch > 0x20 && ch < 0x7F; };
          if (v.size() != 2 || !printable(v[0]) || !printable(v[1])) return false;
          c.status.errorCode = {v[0], v[1]};
          return true;
        },
        "two characters such as 08"}},
      {"--bank",
       {true,
        [](CommandLine& c, std::string_view v) {
          const size_t eq = v.find('=');
          if (eq == std::string_view::npos) return false;
          const auto bank = ParseInt<int>(v.substr(0, eq));
          const auto byte = ParseHexByte(v.substr(eq + 1));
          if (!bank || *bank < 1 || *bank > kBankCount || !byte) return false;
          c.memory.banks[size_t(*bank - 1)] = *byte;
          return true;
        },
        "a bank and a hex byte N=HH"}},
      {"--hw-version", IdentityOption(0)},
      {"--serial-number", IdentityOption(1)},
      {"--printer-id", IdentityOption(2)},
      {"--model-name", TextOption(&MemoryBankState::modelName)},
      {"--model-type", TextOption(&MemoryBankState::modelType)},
      {"--firmware", TextOption(&MemoryBankState::firmwareVersion)},
      {"--head-temp", TextOption(&MemoryBankState::headTemperature)},
      {"--interface",
       {true,
        [](CommandLine& c, std::string_view v) {
          const std::pair<std::string_view, InterfaceType> kinds[] = {
              {"serial", Serial}, {"parallel", Parallel}, {"usb", Usb}};
          for (const auto& [name, kind] : kinds) {
            if (v == name) {
              c.memory.answersOn = kind;
              return true;
            }
          }
          return false;
        },
        "serial, parallel or usb"}},
      {"--no-tag",
       {false,
        [](CommandLine& c, std::string_view) {
          c.rfid.tag.present = false;
          return true;
        },
        ""}},
      {"--tag-epc",
       {true,
        [](CommandLine& c, std::string_view v) {
          if (v.empty() || v.size() % 2 || v.size() / 2 > c.rfid.tag.epc.size()) return false;
          for (size_t i = 0; i < v.size(); i += 2) {
            const auto byte = ParseHexByte(v.substr(i, 2));
            if (!byte) return false;
            c.rfid.tag.epc[i / 2] = *byte;
          }
          return true;
        },
        "hex bytes such as 3000E2801160"}},
      {"--media",
       {true,
        [](CommandLine& c, std::string_view v) {
          if (v != "gap" && v != "mark") return false;
          c.calibration.roll.kind = v == "gap" ? MediaRoll::Kind::Gap : MediaRoll::Kind::BlackMark;
          return true;
        },
        "gap or mark"}},
      {"--label-mm", {true, RollLength(&MediaRoll::labelDots, 1), "a length of 1 mm or more"}},
      {"--gap-mm", {true, RollLength(&MediaRoll::gapDots, 0), "a length in mm"}},
      {"--label-level", {true, SensorLevel(&MediaRoll::labelLevel), "a sensor level 0-255"}},
      {"--gap-level", {true, SensorLevel(&MediaRoll::gapLevel), "a sensor level 0-255"}},
      {"--noise",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto noise = ParseInt<int>(v);
          if (!noise || *noise < 0 || *noise > 255) return false;
          c.calibration.roll.noise = *noise;
          return true;
        },
        "a spread 0-255"}},
      {"--seed",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto seed = ParseInt<uint32_t>(v);
          if (seed) c.calibration.roll.seed = *seed;
          return seed.has_value();
        },
        "a whole number"}},
      {"--scan-ms-per-dot",
       {true,
        [](CommandLine& c, std::string_view v) {
          const auto ms = ParseInt<int>(v);
          if (!ms || *ms < 0 || *ms > 100) return false;
          c.calibration.scanMsPerDot = *ms;
          return true;
        },
        "milliseconds 0-100"}},
  };
  return options;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& result,
                      std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string_view> value;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    const auto found = Options().find(arg);
    if (found == Options().end()) {
      error = "unknown option " + std::string(arg);
      return false;
    }
    const Option& option = found->second;
    if (!option.takesValue && value) {
      error = std::string(arg) + " takes no value";
      return false;
    }
    if (option.takesValue && !value) {
      if (i + 1 == args.size()) {
        error = std::string(arg) + " needs " + option.valueHint;
        return false;
      }
      value = args[++i];
    }
    if (!option.set(result, value.value_or(""))) {
      error = std::string(arg) + " needs " + option.valueHint + ", not '" +
              std::string(value.value_or("")) + "'";
      return false;
    }
  }
  return true;
}

std::string Usage(const std::string& program) {
  return "Usage: " + program + R"( [options]

Runs a virtual label printer on a pseudo-terminal. Prints the terminal's
device path on one line, then answers the printer's commands on it until
interrupted (SIGINT or SIGTERM).

Connection:
  --link PATH          also make PATH a symbolic link to the device
  --log FILE           log every chunk received and every reply, in hex
  --baud N             receive no faster than a serial line at N bit/s (8N1)
  --store DIR          write each firmware image, font and image received to
                       DIR (firmware.bin, factory-font.bin, font-N.bin,
                       image-NAME.pcx)

Faults:
  --silent             take every command in, never answer
  --hangup-after N     close the terminal after N bytes have been received
  --short              leave the last byte off every reply
  --garbled            invert every bit of every reply

Printer state:
  --cp HH,HH           the two bytes "^cp" answers (hex, default 00,00)
  --cu HH              the byte "^cu" answers (hex, default 00)
  --cps HH             the byte "CPS" answers (hex, default 00)
  --ee NN              the error code "^ee" answers (default 00)
  --bank N=HH          the value of memory bank N, 1 to 4 (hex, default 00)
  --hw-version TEXT    the hardware version (default 1.00), also its reset value
  --serial-number TEXT the serial number (default QL41200001), also its reset value
  --printer-id TEXT    the user-defined printer ID (default QLP-01), also its reset value
  --model-name TEXT    what "^PI0" answers (default QL-412)
  --model-type TEXT    what "^PI1" answers (default QL-412 TT)
  --firmware TEXT      what "^PI2" answers (default V1.33)
  --head-temp TEXT     the head temperature "^PI4,0" answers (default 35)
  --interface KIND     serial, parallel or usb: the interface a memory-bank read
                       must name for the printer to answer (default serial)
  --no-tag             no RFID tag in the encoder's field
  --tag-epc HEX        the first bytes of the tag's EPC memory (default zeros)

Printing:
  --print-dir DIR      write every printed label to DIR as a PNG, numbered,
                       with its copy count in the name

Media roll (what the sensing scan "^MXd" samples):
  --media gap|mark     labels separated by gaps or by black marks (default gap)
  --label-mm N         label length in mm (default 60)
  --gap-mm N           gap or mark length in mm (default 3)
  --label-level N      sensor reading over a label, 0-255
                       (default 40 on gap media, 200 on mark media)
  --gap-level N        sensor reading over a gap or mark, 0-255
                       (default 190 on gap media, 48 on mark media)
  --noise N            readings spread up to N either side of a level (default 3)
  --seed N             seed of the reading noise (default 1)
  --scan-ms-per-dot N  feed time per sampled dot before a scan answers
                       (default 0; 4 is as slow as a real printer)

  --help               show this text
)";
}

}  // namespace qm::sim
