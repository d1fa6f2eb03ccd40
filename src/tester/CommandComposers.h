#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The commands of the printer's label language that the tester's builders
// compose. Each composer takes the builder's fields as the dialog holds them
// and returns the command without its line end: the tester appends CR LF, a
// test print a single CR.

// The sample text of both text builders.
inline constexpr std::string_view kSampleText = "TORVALE Label Printer LTR-420 II Test";

// A real-valued position or size as the printer takes it: truncated toward
// zero, in decimal.
std::string Dots(double value);

// Text between the single quotes of a command. The printer reads a backslash
// as "take the next byte as it is", so a quote or a backslash in the text is
// written with a backslash before it; everything else goes as typed.
std::string EscapeQuoted(std::string_view text);

// A command sent on its own as a one-label job: the command, CR, "P1", CR.
std::string TestPrintJob(std::string_view command);

// Speed, density and direction.
struct PrintingSetting {
  int speed = 3;  // 0 "2.5 ips" to 3 "5.0 ips"
  int speedApply = 1;
  int densityPosition = 0;  // slider position; the density is 20 minus it
  int densityApply = 1;
  int direction = 0;  // 0 top, 1 bottom
  int directionApply = 1;

  int Density() const { return 20 - densityPosition; }
};
// "SS", "SD" and "SO" for the parts that apply, in that order.
std::vector<std::string> PrintingSettingCommands(const PrintingSetting& setting);
// The label that shows the chosen settings and then applies them, each line
// ending with CR, finished with "P1" and CR.
std::string PrintingSettingTestLabel(const PrintingSetting& setting);

// The units of the label-setting builder, in the order of its radios.
enum class LabelUnit : int { Inch = 0, Mm = 1, Dots = 2 };
inline constexpr const char* kLabelUnitNames[] = {"inch", "mm", "dots"};

// A length in dots, truncated toward zero. The inch factor is the
// single-precision 25.4, multiplied in double, so 4.0 inches are 812 dots.
double ToDots(float value, LabelUnit unit);
// A length in another unit, worked in double and stored as single precision.
float ConvertLabelUnit(float value, LabelUnit from, LabelUnit to);

// The printer takes label sizes and margins of 0 to 9999 dots.
inline constexpr int kMaxLabelDots = 9999;
// Whether a value in `unit` is a size the printer takes.
bool LabelSizeFits(float value, LabelUnit unit);
// The largest size in `unit` as the range message shows it: 9999 dots,
// rounded to two decimals (49.21 inch, 1249.88 mm).
float LabelSizeMaximum(LabelUnit unit);

// Width, length with the media type, and the margins.
struct LabelSetting {
  int unit = 0;       // LabelUnit
  int mediaType = 0;  // 0 gap, 1 continuous
  int widthOn = 1;
  float width = 4.0f;
  int lengthOn = 1;
  float length = 6.0f;
  int marginOn = 1;
  float xMargin = 0.2f;
  float yMargin = 0.2f;
};
// "SW", "SL" and "SM" for the parts that are on, in that order.
std::vector<std::string> LabelSettingCommands(const LabelSetting& setting);

// "P" copies "," second number.
std::string CopiesCommand(int first, int second);

struct BitmapText {
  float x = 20;
  float y = 20;
  std::string font = "3";
  int hMulti = 1;
  int vMulti = 1;
  int spaceRight = 0;
  int rotation = 0;  // 0 to 3 for 0, 90, 180, 270 degrees
  std::string reverse = "N";
  std::string bold = "N";
  std::string text{kSampleText};
};
std::string BitmapTextCommand(const BitmapText& t);

struct VectorText {
  float x = 20;
  float y = 20;
  int width = 35;
  int height = 35;
  int fontSpace = 1;
  int bold = 0;     // 0 none, 1 bold
  int reverse = 0;  // 0 none, 1 reverse
  int italic = 0;   // 0 none, 1 italic
  int rotation = 0;
  int justification = 2;  // 0 right, 1 center, 2 left
  int direction = 0;      // 0 left to right, 1 right to left
  std::string text{kSampleText};
};
std::string VectorTextCommand(const VectorText& t);

struct Barcode1d {
  float x = 100;
  float y = 100;
  int symbology = 0;  // "Code39" to "UCC/EAN128"
  int narrow = 2;
  int wide = 7;
  int height = 100;
  int rotation = 0;
  int hri = 1;
  int quietZoneOn = 0;
  int quietZone = 12;
  std::string data = "123456789";
};
std::string Barcode1dCommand(const Barcode1d& b);

enum class Symbology2d : int { MaxiCode = 0, Pdf417 = 1, Qr = 2 };
inline constexpr const char* kSymbology2dLetters[] = {"M", "P", "Q"};
// MaxiCode's modes as the list offers them, and the mode numbers they write.
inline constexpr int kMaxiCodeModes[] = {0, 2, 3, 4};
inline constexpr const char* kQrErrorLetters[] = {"L", "M", "Q", "H"};

// The sample data a symbology (and a MaxiCode mode index) loads.
std::string_view Barcode2dSample(Symbology2d symbology, int modeIndex = 0);

struct Barcode2d {
  float x = 100;
  float y = 100;
  int symbology = 0;  // Symbology2d
  int mode = 0;       // MaxiCode mode index, or QR model index (model 1 + index)
  int maxRows = 30;
  int maxCols = 5;
  int errorCorrection = 0;  // PDF417 level, or the index of "L" "M" "Q" "H"
  int compression = 0;
  int hri = 1;
  int origin = 1;
  int moduleWidth = 3;
  int barHeight = 10;  // PDF417 bar height, or QR bar size
  int rotation = 0;
  std::string data{Barcode2dSample(Symbology2d::MaxiCode)};
};
std::string Barcode2dCommand(const Barcode2d& b);

inline constexpr const char* kBlockModes[] = {"O", "E", "D", "S", "B"};
struct BlockDraw {
  float startX = 100;
  float startY = 100;
  float endX = 800;
  float endY = 120;
  int mode = 0;  // index of "O" "E" "D" "S" "B"
  int optional = 20;
};
// Whether a block mode takes the optional number ("S" and "B").
bool BlockModeTakesOptional(int mode);
std::string BlockDrawCommand(const BlockDraw& b);

}  // namespace qm
