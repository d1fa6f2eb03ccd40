#include "tester/CommandComposers.h"

#include <cmath>
#include <cstdio>

namespace qm {
namespace {

// The single-precision constants of the printer's units: 25.4 mm per inch
// (25.399999618530273 as stored) and its inverse (0.039370078593492508).
constexpr double kMmPerInch = double(25.4f);
constexpr double kInchPerMm = double(0.03937008f);
constexpr double kDotsPerMm = 8.0;

std::string Num(long long value) {
  return std::to_string(value);
}

}  // namespace

std::string Dots(double value) {
  // Printed from the truncated double, so even a value beyond any integer
  // type is written as the printer would be told it, and -0.5 becomes "0".
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", std::trunc(value) + 0.0);
  return text;
}

std::string EscapeQuoted(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\'' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string TestPrintJob(std::string_view command) {
  std::string job(command);
  job += "\rP1\r";
  return job;
}

std::vector<std::string> PrintingSettingCommands(const PrintingSetting& s) {
  std::vector<std::string> commands;
  if (s.speedApply) commands.push_back("SS" + Num(s.speed));
  if (s.densityApply) commands.push_back("SD" + Num(s.Density()));
  if (s.directionApply) commands.push_back(s.direction ? "SOB" : "SOT");
  return commands;
}

std::string PrintingSettingTestLabel(const PrintingSetting& s) {
  static constexpr const char* kSpeeds[] = {"2.5 ips'", "3.0 ips'", "4.0 ips'", "5.0 ips'"};
  const std::string text = "T100,";
  const std::string font = ",3,1,1,0,0,N,N,'";
  const std::string rule = "=============================";
  std::string label;
  auto line = [&label](const std::string& l) { label += l + "\r"; };
  line(text + "100" + font + "Printer Setting Test'");
  line(text + "150" + font + rule + "'");
  if (s.speedApply) {
    int speed = s.speed >= 0 && s.speed < 4 ? s.speed : 3;
    line(text + "200" + font + "Printing Speed     : " + kSpeeds[speed]);
    line("SS" + Num(s.speed));
  }
  if (s.densityApply) {
    line(text + "250" + font + "Density(0~20)      : " + Num(s.Density()) + "'");
    line("SD" + Num(s.Density()));
  }
  if (s.directionApply) {
    const std::string direction = s.direction ? "SOB" : "SOT";
    line(text + "300" + font + "Printing Direction : " + direction + "'");
    line(direction);
  }
  line(text + "350" + font + rule + "'");
  line("BD150,500,495,750,B,15");
  line("BD200,550,300,700,S,30");
  line("BD430,550,330,700,S,30");
  line("");
  line("P1");
  return label;
}

double ToDots(float value, LabelUnit unit) {
  switch (unit) {
    case LabelUnit::Inch:
      return std::trunc(double(value) * kMmPerInch * kDotsPerMm);
    case LabelUnit::Mm:
      return std::trunc(double(value) * kDotsPerMm);
    case LabelUnit::Dots:
      break;
  }
  return std::trunc(double(value));
}

bool LabelSizeFits(float value, LabelUnit unit) {
  return value >= 0 && ToDots(value, unit) <= kMaxLabelDots;
}

float LabelSizeMaximum(LabelUnit unit) {
  const double dotsPerUnit = unit == LabelUnit::Inch ? kMmPerInch * kDotsPerMm
                             : unit == LabelUnit::Mm ? kDotsPerMm
                                                     : 1.0;
  return float(std::round(kMaxLabelDots / dotsPerUnit * 100) / 100);
}

float ConvertLabelUnit(float value, LabelUnit from, LabelUnit to) {
  // Each row goes through millimetres, as the converter's factors do.
  static constexpr double kFactor[3][3] = {
      {1.0, kMmPerInch, kMmPerInch * kDotsPerMm},
      {kInchPerMm, 1.0, kDotsPerMm},
      {0.125 * kInchPerMm, 0.125, 1.0},
  };
  if (from == to) return value;
  return float(double(value) * kFactor[int(from)][int(to)]);
}

std::vector<std::string> LabelSettingCommands(const LabelSetting& s) {
  LabelUnit unit = LabelUnit(s.unit >= 0 && s.unit < 3 ? s.unit : 0);
  std::vector<std::string> commands;
  if (s.widthOn) commands.push_back("SW" + Dots(ToDots(s.width, unit)));
  if (s.lengthOn)
    commands.push_back("SL" + Dots(ToDots(s.length, unit)) + (s.mediaType ? ",0,C" : ",15,G"));
  if (s.marginOn)
    commands.push_back("SM" + Dots(ToDots(s.xMargin, unit)) + "," + Dots(ToDots(s.yMargin, unit)));
  return commands;
}

std::string CopiesCommand(int first, int second) {
  return "P" + Num(first) + "," + Num(second);
}

std::string BitmapTextCommand(const BitmapText& t) {
  return "T" + Dots(t.x) + "," + Dots(t.y) + "," + t.font + "," + Num(t.hMulti) + "," +
         Num(t.vMulti) + "," + Num(t.spaceRight) + "," + Num(t.rotation) + "," + t.reverse + "," +
         t.bold + ",'" + EscapeQuoted(t.text) + "'";
}

std::string VectorTextCommand(const VectorText& t) {
  static constexpr const char* kJustification[] = {",R", ",C", ",L"};
  int justification = t.justification >= 0 && t.justification < 3 ? t.justification : 2;
  return "V" + Dots(t.x) + "," + Dots(t.y) + ",U," + Num(t.width) + "," + Num(t.height) + "," +
         Num(t.fontSpace) + (t.bold ? ",B" : ",N") + (t.reverse ? ",R" : ",N") +
         (t.italic ? ",I" : ",N") + "," + Num(t.rotation) + kJustification[justification] + "," +
         Num(t.direction) + ",'" + EscapeQuoted(t.text) + "'";
}

std::string Barcode1dCommand(const Barcode1d& b) {
  std::string command = "B1" + Dots(b.x) + "," + Dots(b.y) + "," + Num(b.symbology) + "," +
                        Num(b.narrow) + "," + Num(b.wide) + "," + Num(b.height) + "," +
                        Num(b.rotation) + "," + Num(b.hri);
  if (b.quietZoneOn) command += "," + Num(b.quietZone);
  return command + ",'" + EscapeQuoted(b.data) + "'";
}

std::string_view Barcode2dSample(Symbology2d symbology, int modeIndex) {
  static constexpr std::string_view kMaxiCode[] = {
      "999,840,06810,7317,THIS IS A TEST OF MODE 0 STRUCTURED CARRIER MESSAGE ENCODING. THIS IS "
      "AN 84 CHAR MSG",
      "999,840,06810,7317,THIS IS A TEST OF TORVALE LABEL PRINTER LTR420.MODE 2 ENCODING.THIS IS "
      "AN 84 CHAR.",
      "999,840,06810,7317,THIS IS A TEST OF TORVALE LABEL PRINTER LTR420.MODE 3 ENCODING.THIS IS "
      "AN 84 CHAR.",
      "THIS IS A 93 CHARACTER CODE SET A MESSAGE THAT FILLS A MODE 4,UNAPPENDED,MAXICODE "
      "SYMBOL...",
  };
  switch (symbology) {
    case Symbology2d::Pdf417:
      return "TORVALE Label Printer LTR420, This is Test Printing.";
    case Symbology2d::Qr:
      return "ABCDEFGHIJKLMN1234567890";
    case Symbology2d::MaxiCode:
      break;
  }
  return kMaxiCode[modeIndex >= 0 && modeIndex < 4 ? modeIndex : 0];
}

std::string Barcode2dCommand(const Barcode2d& b) {
  std::string part;
  switch (Symbology2d(b.symbology)) {
    case Symbology2d::MaxiCode:
      part = "M," + Num(kMaxiCodeModes[b.mode >= 0 && b.mode < 4 ? b.mode : 0]);
      break;
    case Symbology2d::Pdf417:
      part = "P," + Num(b.maxRows) + "," + Num(b.maxCols) + "," + Num(b.errorCorrection) + "," +
             Num(b.compression) + "," + Num(b.hri) + "," + Num(b.origin) + "," +
             Num(b.moduleWidth) + "," + Num(b.barHeight) + "," + Num(b.rotation);
      break;
    case Symbology2d::Qr:
      part =
          "Q," + Num(b.mode + 1) + "," +
          kQrErrorLetters[b.errorCorrection >= 0 && b.errorCorrection < 4 ? b.errorCorrection : 0] +
          "," + Num(b.barHeight) + "," + Num(b.rotation);
      break;
  }
  return "B2" + Dots(b.x) + "," + Dots(b.y) + "," + part + ",'" + EscapeQuoted(b.data) + "'";
}

bool BlockModeTakesOptional(int mode) {
  return mode == 3 || mode == 4;
}

std::string BlockDrawCommand(const BlockDraw& b) {
  int mode = b.mode >= 0 && b.mode < 5 ? b.mode : 0;
  std::string command = "BD" + Dots(b.startX) + "," + Dots(b.startY) + "," + Dots(b.endX) + "," +
                        Dots(b.endY) + "," + kBlockModes[mode];
  if (BlockModeTakesOptional(mode)) command += "," + Num(b.optional);
  return command;
}

}  // namespace qm
