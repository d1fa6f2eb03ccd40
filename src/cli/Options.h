#pragma once

// What each subcommand of quillmark-cli takes, as plain values. CommandTable.cpp
// declares every option once, with its range and choices, and fills these;
// the subcommand files act on them and never see the parser.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace qm::cli {

// The process's exit status; with several ports, the worst of them.
enum ExitCode : int {
  kDone = 0,
  kFailed = 1,      // the printer operation failed: no reply, refused, short read
  kUsage = 2,       // the command line was wrong
  kCannotOpen = 3,  // the port could not be opened
};

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

// The line every printer subcommand connects over. Its defaults are the main
// window's: "COM1:", 115200 baud, no parity, 8 data bits, one stop bit.
struct LineOptions {
  std::vector<std::string> ports{"COM1:"};
  uint32_t baud = 115200;
  uint32_t parity = 0;    // 0 none, 1 odd, 2 even
  uint32_t dataBits = 8;  // 7 or 8
  uint32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  // Bounds each reply read; the port's own rule is 3000 ms plus 1 ms a byte.
  uint32_t timeoutMs = 3000;
  bool json = false;
  // Every open, close, write and read of the port to standard error as it
  // happens (one JSON object each under --json).
  bool trace = false;
};

struct StatusOptions {
  LineOptions line;
};

enum class SettingsAction { ReadBank, Identity, Info, SetItem, ResetItem };
struct SettingsOptions {
  LineOptions line;
  SettingsAction action = SettingsAction::Identity;
  int bank = 1;
  int item = 0;  // a user item's number; kAllUserItems for reset-item all
  int value = 0;
};

enum class RfidAction { Get, Read, Write };
struct RfidOptions {
  LineOptions line;
  RfidAction action = RfidAction::Get;
  bool ascii = false;
  bool user = false;
  int start = 0;
  int count = 0;
  std::string data;
};

enum class ProfileAction { Backup, Diff, Restore };
struct ProfileOptions {
  LineOptions line;
  ProfileAction action = ProfileAction::Diff;
  std::string file;
  bool partial = false;   // backup: write what was read, the rest marked missing
  bool all = false;       // diff: every setting, not only the differences
  bool dryRun = false;    // restore: show what would change, write nothing
  bool identity = false;  // restore: the identity strings too
  bool yes = false;       // restore: to a printer of another model as well
};

struct CalibrateOptions {
  LineOptions line;
  bool mark = false;
  int lengthMm = 150;
  int gapCount = 7;
  bool save = false;
  std::optional<int> value;  // stored instead of the proposal
};

struct ChartOptions {
  LineOptions line;
  std::string kind;  // under, over, international, or a two-byte table's name
  std::optional<int> set;
  std::optional<int> table;
  bool vector = false;
  std::optional<std::string> font;
  std::vector<int> size;  // empty, or the two numbers of --size
  std::optional<std::string> rows;
};

struct FindFontOptions {
  double widthMm = 0;
  double heightMm = 0;
};

struct DownloadOptions {
  LineOptions line;
  std::string kind;  // a row of DownloadKinds()
  std::string file;
  int width = 0;
  int height = 0;
  std::string name;
  std::string start = "32";
  bool acceptBadChecksums = false;
};

struct Hex2BinOptions {
  std::string input;
  std::string output;
  bool acceptBadChecksums = false;
  bool json = false;
};

struct PreviewOptions {
  std::string script;
  std::string folder = ".";
  std::vector<std::pair<std::string, std::string>> images;  // NAME, FILE
};

struct ListOptions {
  LineOptions line;  // the line settings a --probe asks at
  bool probe = false;
  std::string sysRoot = "/sys";  // replaceable so tests lay out a tree
  std::string devRoot = "/dev";
};

// The kinds `download` offers, with the options each takes beyond the file.
enum DownloadOption : unsigned {
  kChecksumsOption = 1,  // --accept-bad-checksums
  kSizeOption = 2,       // --width, --height
  kNameOption = 4,       // --name
  kStartOption = 8,      // --start
};
struct DownloadKind {
  const char* name;
  const char* summary;
  unsigned options;
};
std::span<const DownloadKind> DownloadKinds();

// The charts `chart` prints: the single-byte ones, then the code tables.
std::vector<std::string> ChartKindNames();

int RunStatus(const StatusOptions& options, Streams streams);
int RunSettings(const SettingsOptions& options, Streams streams);
int RunRfid(const RfidOptions& options, Streams streams);
int RunProfile(const ProfileOptions& options, Streams streams);
int RunCalibrate(const CalibrateOptions& options, Streams streams);
int RunChart(const ChartOptions& options, Streams streams);
int RunFindFont(const FindFontOptions& options, Streams streams);
int RunDownload(const DownloadOptions& options, Streams streams);
int RunHex2Bin(const Hex2BinOptions& options, Streams streams);
int RunPreview(const PreviewOptions& options, Streams streams);
int RunList(const ListOptions& options, Streams streams);

}  // namespace qm::cli
