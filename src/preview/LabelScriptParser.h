#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The label commands of the printer's command language, as the tester's
// builders compose them, parsed into values. The one parser of these
// commands: the renderer, the virtual printer and the command line share it.
//
// A command starts at a line start and ends at its line end (CR, LF or
// CR LF). Text and data stand between single quotes; inside them a backslash
// takes the next byte literally, so \' is a quote and \\ a backslash. Only
// 2D barcode data may run over line ends. "IS" is followed directly by the
// raw bytes it announces.
namespace qm::preview {

struct SpeedCommand {  // "SS" speed index
  int speed = 0;
};
struct DensityCommand {  // "SD" density 0..20
  int density = 0;
};
struct DirectionCommand {  // "SOT" / "SOB"
  bool bottom = false;
};
struct WidthCommand {  // "SW" dots
  int dots = 0;
};
struct LengthCommand {  // "SL" length,gap,G|C
  int dots = 0;
  int gap = 0;
  bool continuous = false;
};
struct MarginCommand {  // "SM" x,y
  int x = 0;
  int y = 0;
};
struct TextCommand {  // "T" bitmap text
  int x = 0, y = 0;
  char font = '0';  // "0".."9", "a".."z"
  int hMulti = 1, vMulti = 1;
  int rightSpace = 0;
  int rotation = 0;  // 0..3 = 0, 90, 180, 270 degrees
  bool reverse = false, bold = false;
  std::string text;  // escapes removed
};
enum class Justify { Right, Center, Left };
struct VectorTextCommand {  // "V" scalable text
  int x = 0, y = 0;
  char font = 'U';
  int width = 1, height = 1;
  int space = 0;  // extra dots between characters, may be negative
  bool bold = false, reverse = false, italic = false;
  int rotation = 0;
  Justify justify = Justify::Left;
  bool rightToLeft = false;
  std::string text;
};
struct Barcode1dCommand {  // "B1"
  int x = 0, y = 0;
  int symbology = 0;  // 0 Code39 ... 9 UCC/EAN128, the builder's list order
  int narrow = 1, wide = 1;
  int height = 0;
  int rotation = 0;
  bool hri = false;
  std::optional<int> quietZone;
  std::string data;
};
struct Barcode2dCommand {  // "B2"
  int x = 0, y = 0;
  char type = 'M';  // M MaxiCode, P PDF417, Q QR Code
  int mode = 0;     // MaxiCode mode 0/2/3/4, QR model 1/2
  // PDF417
  int rows = 0, columns = 0, ecl = 0, compression = 0;
  bool hri = false;
  bool centered = false;
  int moduleWidth = 0, barHeight = 0;
  // QR
  char ecc = 'L';
  int size = 0;  // QR module size in dots
  int rotation = 0;
  std::string data;
};
struct BlockDrawCommand {  // "BD" x1,y1,x2,y2,mode[,n]
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  char mode = 'O';   // O fill, E erase, D invert, S slope, B box
  int optional = 0;  // line width for S, border width for B
};
struct CharacterSetCommand {  // "CS" international,code table
  int international = 0;
  int codeTable = 0;
};
struct PrintCommand {  // "P" sets,copies; missing numbers count as 1
  int sets = 1;
  int copies = 1;
};
struct ImageStoreCommand {  // "IS" n,'name' + n bytes
  std::string name;
  std::vector<uint8_t> data;
};
struct ImageRecallCommand {  // "IR" x,y,'name'
  int x = 0, y = 0;
  std::string name;
};

using Command =
    std::variant<SpeedCommand, DensityCommand, DirectionCommand, WidthCommand, LengthCommand,
                 MarginCommand, TextCommand, VectorTextCommand, Barcode1dCommand, Barcode2dCommand,
                 BlockDrawCommand, CharacterSetCommand, PrintCommand, ImageStoreCommand,
                 ImageRecallCommand>;

// Where a command stands at the start of some input.
struct CommandExtent {
  enum class Kind {
    NotLabel,  // no label command starts here
    NeedMore,  // one does, but its end has not arrived yet
    Complete,  // `length` bytes, line end not included
  };
  Kind kind = Kind::NotLabel;
  size_t length = 0;
};

// The longest 2D barcode data taken across line ends before an unclosed
// quote is given up as a syntax error (more than any symbol holds).
inline constexpr size_t kMaxMultiLineData = 8192;

// Finds the end of the label command at the start of `input`. With
// `atEnd` the input is all there is (a file), so a command without its line
// end ends with the input.
CommandExtent FindCommand(std::span<const uint8_t> input, bool atEnd);

// Parses one command as FindCommand delimited it. The error text says what
// is wrong ("wrong number of fields", "bad number 'x'", ...).
struct ParseOutcome {
  std::optional<Command> command;
  std::string error;
};
ParseOutcome ParseCommand(std::span<const uint8_t> text);

// A whole script. Lines are numbered from 1; a CR LF pair is one line end.
struct ParsedCommand {
  Command command;
  int line = 0;
  size_t offset = 0;  // of its first byte in the script
};
struct ScriptError {
  int line = 0;
  std::string message;  // "Syntax Error: ..." as the preview lists it
  size_t offset = 0;    // of the first byte of the command at fault
};
struct ParsedScript {
  std::vector<ParsedCommand> commands;
  std::vector<ScriptError> errors;
};
ParsedScript ParseScript(std::span<const uint8_t> script);
ParsedScript ParseScript(std::string_view script);

// The command's name as the traffic record shows it ("T", "B2", "SO").
std::string_view CommandName(const Command& command);

}  // namespace qm::preview
