#include "preview/LabelScriptParser.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qm::preview {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kQuote = '\'';
constexpr uint8_t kEscape = '\\';

// Larger than any label dimension or count the printer takes; a field past
// it is refused rather than left to overflow later arithmetic.
constexpr int kMaxNumber = 999999;
// The biggest image "IS" may announce; more than any printer's image memory.
constexpr size_t kMaxImageBytes = 16u << 20;

bool IsLineEnd(uint8_t byte) {
  return byte == kCr || byte == kLf;
}

// Command names, longer ones first so "B1" is not taken for something else.
constexpr std::array<std::string_view, 15> kNames{"B1", "B2", "BD", "SS", "SD", "SO", "SW", "SL",
                                                  "SM", "CS", "IS", "IR", "T",  "V",  "P"};

// The name at the start of `input`: found, not found, or the input is a
// prefix of a name that may still arrive.
struct NameMatch {
  std::string_view name;
  bool partial = false;
};

NameMatch MatchName(std::span<const uint8_t> input) {
  bool partial = false;
  for (std::string_view name : kNames) {
    const size_t n = std::min(input.size(), name.size());
    if (!std::equal(input.begin(), input.begin() + static_cast<ptrdiff_t>(n), name.begin(),
                    [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); })) {
      continue;
    }
    if (n == name.size()) return {name, false};
    partial = true;
  }
  return {{}, partial};
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Whether the text of a "T" command is in a two-byte font, whose lead bytes
// (80h and up) carry any byte as their trail: the font is the third field.
bool TwoByteText(std::string_view name, std::string_view body) {
  if (name != "T") return false;
  const size_t first = body.find(',');
  const size_t second = first == std::string_view::npos ? first : body.find(',', first + 1);
  if (second == std::string_view::npos || second + 2 >= body.size() || body[second + 2] != ',') {
    return false;
  }
  return std::string_view("abcdefjmn").find(body[second + 1]) != std::string_view::npos;
}

// "IS" n,'name' and its payload.
CommandExtent FindImageStore(std::span<const uint8_t> input, bool atEnd) {
  size_t pos = 2;
  size_t size = 0;
  bool digits = false;
  while (pos < input.size() && input[pos] >= '0' && input[pos] <= '9') {
    size = std::min(size * 10 + (input[pos] - '0'), kMaxImageBytes + 1);
    digits = true;
    ++pos;
  }
  // A header that cannot announce a payload ends at its line end like any
  // other malformed command.
  auto toLineEnd = [&]() -> CommandExtent {
    const auto end =
        std::find_if(input.begin() + static_cast<ptrdiff_t>(pos), input.end(), IsLineEnd);
    if (end == input.end() && !atEnd) return {CommandExtent::Kind::NeedMore, 0};
    return {CommandExtent::Kind::Complete, static_cast<size_t>(end - input.begin())};
  };
  if (pos == input.size()) {
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore, 0};
  }
  if (!digits || size > kMaxImageBytes || input[pos] != ',') return toLineEnd();
  ++pos;
  if (pos == input.size())
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore};
  if (input[pos] != kQuote) return toLineEnd();
  ++pos;
  while (pos < input.size() && input[pos] != kQuote) {
    if (IsLineEnd(input[pos])) return toLineEnd();
    if (input[pos] == kEscape) ++pos;
    ++pos;
  }
  if (pos >= input.size())
    return atEnd ? toLineEnd() : CommandExtent{CommandExtent::Kind::NeedMore};
  ++pos;  // the closing quote
  if (input.size() - pos < size) {
    if (!atEnd) return {CommandExtent::Kind::NeedMore, 0};
    return {CommandExtent::Kind::Complete, input.size()};
  }
  return {CommandExtent::Kind::Complete, pos + size};
}

// Splits the fields after the command name. A quoted field keeps its quotes
// so the parser can tell it from a bare one.
struct Fields {
  std::vector<std::string_view> items;
  std::string error;
};

Fields SplitFields(std::string_view body, bool twoByte = false) {
  Fields fields;
  size_t start = 0;
  size_t pos = 0;
  while (true) {
    if (pos < body.size() && body[pos] == '\'') {
      ++pos;
      while (pos < body.size() && body[pos] != '\'') {
        if (body[pos] == '\\' || (twoByte && static_cast<unsigned char>(body[pos]) >= 0x80)) ++pos;
        ++pos;
      }
      if (pos >= body.size()) {
        fields.error = "unterminated quote";
        return fields;
      }
      ++pos;
      if (pos < body.size() && body[pos] != ',') {
        fields.error = "text after the closing quote";
        return fields;
      }
    }
    while (pos < body.size() && body[pos] != ',') {
      if (body[pos] == '\'') {
        fields.error = "quote inside a field";
        return fields;
      }
      ++pos;
    }
    fields.items.push_back(body.substr(start, pos - start));
    if (pos >= body.size()) break;
    start = ++pos;
  }
  return fields;
}

// A parse failure carried out of the field readers.
struct Failure {
  std::string message;
};

class FieldReader {
 public:
  FieldReader(std::vector<std::string_view> items) : items_(std::move(items)) {}

  size_t Count() const { return items_.size(); }

  int Number(size_t index, int low = -kMaxNumber, int high = kMaxNumber) const {
    std::string_view field = items_.at(index);
    if (field.empty()) throw Failure{"missing number in field " + std::to_string(index + 1)};
    std::string_view digits = field;
    if (digits[0] == '+') digits.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range ||
        (ec == std::errc() && end == digits.end() && (value < -kMaxNumber || value > kMaxNumber))) {
      throw Failure{"number too large '" + std::string(field) + "'"};
    }
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        digits[0] == '+') {
      throw Failure{"bad number '" + std::string(field) + "'"};
    }
    if (value < low || value > high) {
      throw Failure{"value " + std::to_string(value) + " out of range " + std::to_string(low) +
                    " to " + std::to_string(high) + " in field " + std::to_string(index + 1)};
    }
    return value;
  }

  // One of the letters in `allowed`.
  char Letter(size_t index, std::string_view allowed) const {
    std::string_view field = items_.at(index);
    if (field.size() != 1 || allowed.find(field[0]) == std::string_view::npos) {
      throw Failure{"field " + std::to_string(index + 1) + " must be one of " +
                    std::string(allowed) + ", not '" + std::string(field) + "'"};
    }
    return field[0];
  }

  // The text between the quotes, escapes removed. In the text of a
  // two-byte font a lead byte (80h and up) takes the next byte as its trail
  // whatever it is, so a trail byte of 5Ch stays part of its character.
  std::string Quoted(size_t index, bool twoByte = false) const {
    std::string_view field = items_.at(index);
    if (field.size() < 2 || field.front() != '\'' || field.back() != '\'') {
      throw Failure{"field " + std::to_string(index + 1) + " must be quoted"};
    }
    std::string text;
    text.reserve(field.size() - 2);
    for (size_t i = 1; i + 1 < field.size(); ++i) {
      if (twoByte && static_cast<unsigned char>(field[i]) >= 0x80 && i + 2 < field.size()) {
        text.push_back(field[i++]);
      } else if (field[i] == '\\' && i + 2 < field.size()) {
        ++i;
      }
      text.push_back(field[i]);
    }
    return text;
  }

 private:
  std::vector<std::string_view> items_;
};

void ExpectFields(const FieldReader& f, size_t count) {
  if (f.Count() != count) {
    throw Failure{"wrong number of fields: " + std::to_string(f.Count()) + " instead of " +
                  std::to_string(count)};
  }
}

Command ParseText(const FieldReader& f) {
  ExpectFields(f, 10);
  TextCommand t;
  t.x = f.Number(0);
  t.y = f.Number(1);
  t.font = f.Letter(2, "0123456789abcdefghijklmnopqrstuvwxyz");
  t.hMulti = f.Number(3, 1, 4);
  t.vMulti = f.Number(4, 1, 4);
  t.rightSpace = f.Number(5, 0, 1000);
  t.rotation = f.Number(6, 0, 3);
  t.reverse = f.Letter(7, "NR") == 'R';
  t.bold = f.Letter(8, "NB") == 'B';
  // The fonts of the two-byte code tables: KS5601, GB2312, BIG5, JIS.
  t.text = f.Quoted(9, std::string_view("abcdefjmn").find(t.font) != std::string_view::npos);
  return t;
}

Command ParseVector(const FieldReader& f) {
  ExpectFields(f, 13);
  VectorTextCommand v;
  v.x = f.Number(0);
  v.y = f.Number(1);
  v.font = f.Letter(2, "U");
  v.width = f.Number(3, 1, 1000);
  v.height = f.Number(4, 1, 1000);
  v.space = f.Number(5, -1000, 1000);
  v.bold = f.Letter(6, "NB") == 'B';
  v.reverse = f.Letter(7, "NR") == 'R';
  v.italic = f.Letter(8, "NI") == 'I';
  v.rotation = f.Number(9, 0, 3);
  const char j = f.Letter(10, "RCL");
  v.justify = j == 'R' ? Justify::Right : j == 'C' ? Justify::Center : Justify::Left;
  v.rightToLeft = f.Number(11, 0, 1) == 1;
  v.text = f.Quoted(12);
  return v;
}

Command ParseBarcode1d(const FieldReader& f) {
  if (f.Count() != 9 && f.Count() != 10) {
    throw Failure{"wrong number of fields: " + std::to_string(f.Count()) + " instead of 9 or 10"};
  }
  Barcode1dCommand b;
  b.x = f.Number(0);
  b.y = f.Number(1);
  b.symbology = f.Number(2, 0, 9);
  b.narrow = f.Number(3, 1, 100);
  b.wide = f.Number(4, 1, 100);
  b.height = f.Number(5, 0, 5000);
  b.rotation = f.Number(6, 0, 3);
  b.hri = f.Number(7, 0, 1) == 1;
  if (f.Count() == 10) b.quietZone = f.Number(8, 0, 100);
  b.data = f.Quoted(f.Count() - 1);
  if (b.data.empty()) throw Failure{"empty barcode data"};
  return b;
}

Command ParseBarcode2d(const FieldReader& f) {
  if (f.Count() < 4) throw Failure{"wrong number of fields: " + std::to_string(f.Count())};
  Barcode2dCommand b;
  b.x = f.Number(0);
  b.y = f.Number(1);
  b.type = f.Letter(2, "MPQ");
  switch (b.type) {
    case 'M':
      ExpectFields(f, 5);
      b.mode = f.Number(3, 0, 6);
      if (b.mode == 1) throw Failure{"MaxiCode mode 1 does not exist"};
      break;
    case 'P':
      ExpectFields(f, 13);
      b.rows = f.Number(3, 3, 90);
      b.columns = f.Number(4, 1, 30);
      b.ecl = f.Number(5, 0, 8);
      b.compression = f.Number(6, 0, 2);
      b.hri = f.Number(7, 0, 1) == 1;
      b.centered = f.Number(8, 0, 1) == 1;
      b.moduleWidth = f.Number(9, 1, 100);
      b.barHeight = f.Number(10, 1, 1000);
      b.rotation = f.Number(11, 0, 3);
      break;
    default:
      ExpectFields(f, 8);
      b.mode = f.Number(3, 1, 2);
      b.ecc = f.Letter(4, "LMQH");
      b.size = f.Number(5, 1, 100);
      b.rotation = f.Number(6, 0, 3);
      break;
  }
  b.data = f.Quoted(f.Count() - 1);
  if (b.data.empty()) throw Failure{"empty barcode data"};
  return b;
}

Command ParseBlockDraw(const FieldReader& f) {
  if (f.Count() < 5) throw Failure{"wrong number of fields: " + std::to_string(f.Count())};
  BlockDrawCommand b;
  b.x1 = f.Number(0);
  b.y1 = f.Number(1);
  b.x2 = f.Number(2);
  b.y2 = f.Number(3);
  b.mode = f.Letter(4, "OEDSB");
  if (b.mode == 'S' || b.mode == 'B') {
    ExpectFields(f, 6);
    b.optional = f.Number(5, 0, kMaxNumber);
  } else {
    ExpectFields(f, 5);
  }
  return b;
}

Command ParseFields(std::string_view name, std::string_view body) {
  // The direction command has its letter glued on: "SOT", "SOB".
  if (name == "SO") {
    if (body != "T" && body != "B") throw Failure{"direction must be T or B"};
    return DirectionCommand{body == "B"};
  }
  Fields fields = SplitFields(body, TwoByteText(name, body));
  if (!fields.error.empty()) throw Failure{fields.error};
  const FieldReader f(std::move(fields.items));
  if (name == "SS") {
    ExpectFields(f, 1);
    return SpeedCommand{f.Number(0, 0, 9)};
  }
  if (name == "SD") {
    ExpectFields(f, 1);
    return DensityCommand{f.Number(0, 0, 20)};
  }
  if (name == "SW") {
    ExpectFields(f, 1);
    return WidthCommand{f.Number(0, 1, kMaxNumber)};
  }
  if (name == "SL") {
    ExpectFields(f, 3);
    return LengthCommand{f.Number(0, 1, kMaxNumber), f.Number(1, 0, kMaxNumber),
                         f.Letter(2, "GC") == 'C'};
  }
  if (name == "SM") {
    ExpectFields(f, 2);
    return MarginCommand{f.Number(0), f.Number(1)};
  }
  if (name == "CS") {
    ExpectFields(f, 2);
    return CharacterSetCommand{f.Number(0, 0, 15), f.Number(1, 0, 22)};
  }
  if (name == "P") {
    // "P", "P3", "P3,2" and the "P," a saved script ends with.
    if (f.Count() > 2) throw Failure{"wrong number of fields: " + std::to_string(f.Count())};
    PrintCommand p;
    if (f.Count() >= 1 && !body.empty() && body[0] != ',') p.sets = f.Number(0, 0, kMaxNumber);
    if (f.Count() == 2 && body.back() != ',') p.copies = f.Number(1, 0, kMaxNumber);
    return p;
  }
  if (name == "IR") {
    ExpectFields(f, 3);
    return ImageRecallCommand{f.Number(0), f.Number(1), f.Quoted(2)};
  }
  if (name == "T") return ParseText(f);
  if (name == "V") return ParseVector(f);
  if (name == "B1") return ParseBarcode1d(f);
  if (name == "B2") return ParseBarcode2d(f);
  return ParseBlockDraw(f);
}

Command ParseImageStore(std::string_view text) {
  const size_t quote = text.find('\'', 2);
  const size_t close = quote == std::string_view::npos ? quote : text.find('\'', quote + 1);
  if (close == std::string_view::npos) throw Failure{"unterminated quote"};
  Fields fields = SplitFields(text.substr(2, close + 1 - 2));
  if (!fields.error.empty()) throw Failure{fields.error};
  const FieldReader f(std::move(fields.items));
  ExpectFields(f, 2);
  const int size = f.Number(0, 0, static_cast<int>(std::min<size_t>(kMaxImageBytes, kMaxNumber)));
  ImageStoreCommand store{f.Quoted(1), {}};
  const std::string_view payload = text.substr(close + 1);
  if (payload.size() != static_cast<size_t>(size)) {
    throw Failure{"image data ends after " + std::to_string(payload.size()) + " of " +
                  std::to_string(size) + " bytes"};
  }
  store.data.assign(payload.begin(), payload.end());
  return store;
}

}  // namespace

CommandExtent FindCommand(std::span<const uint8_t> input, bool atEnd) {
  const NameMatch match = MatchName(input);
  if (match.name.empty()) {
    if (match.partial && !atEnd) return {CommandExtent::Kind::NeedMore, 0};
    // A lone prefix at the end of a file ("S") is a line of its own.
    return {CommandExtent::Kind::NotLabel, 0};
  }
  if (match.name == "IS") return FindImageStore(input, atEnd);

  // Only 2D data may hold line ends; anywhere else a line end ends the
  // command, quote or not.
  const bool multiLine = match.name == "B2";
  const bool twoByte = TwoByteText(match.name, AsText(input.subspan(match.name.size())));
  bool quoted = false;
  size_t quoteStart = 0;
  for (size_t pos = match.name.size(); pos < input.size(); ++pos) {
    const uint8_t byte = input[pos];
    // An escape or a lead byte takes the next byte along, but never a line
    // end: that still ends the command.
    if (quoted && (byte == kEscape || (twoByte && byte >= 0x80)) && pos + 1 < input.size() &&
        !IsLineEnd(input[pos + 1])) {
      ++pos;
      continue;
    }
    if (byte == kQuote) {
      quoted = !quoted;
      quoteStart = pos;
      continue;
    }
    if (!IsLineEnd(byte)) continue;
    if (quoted && multiLine && pos - quoteStart <= kMaxMultiLineData) continue;
    if (quoted && multiLine) {
      // Given up: the command is the first line, and the rest is script.
      const auto end =
          std::find_if(input.begin() + static_cast<ptrdiff_t>(quoteStart), input.end(), IsLineEnd);
      return {CommandExtent::Kind::Complete, static_cast<size_t>(end - input.begin())};
    }
    return {CommandExtent::Kind::Complete, pos};
  }
  if (!atEnd) return {CommandExtent::Kind::NeedMore, 0};
  return {CommandExtent::Kind::Complete, input.size()};
}

ParseOutcome ParseCommand(std::span<const uint8_t> bytes) {
  const std::string_view text = AsText(bytes);
  const NameMatch match = MatchName(bytes);
  if (match.name.empty()) return {std::nullopt, "unknown command"};
  try {
    if (match.name == "IS") return {ParseImageStore(text), {}};
    if (match.name == "B2") {
      // A given-up multi-line quote ends at the first line end.
      const size_t quote = text.find('\'');
      if (quote != std::string_view::npos) {
        const std::string_view rest = text.substr(quote);
        bool closed = false;
        for (size_t i = 1; i < rest.size(); ++i) {
          if (rest[i] == '\\') {
            ++i;
          } else if (rest[i] == '\'') {
            closed = true;
            break;
          }
        }
        if (!closed) return {std::nullopt, "unterminated quote"};
      }
    } else if (text.find_first_of("\r\n") != std::string_view::npos) {
      return {std::nullopt, "line end inside the command"};
    }
    return {ParseFields(match.name, text.substr(match.name.size())), {}};
  } catch (const Failure& failure) {
    return {std::nullopt, failure.message};
  }
}

ParsedScript ParseScript(std::string_view script) {
  return ParseScript(std::span(reinterpret_cast<const uint8_t*>(script.data()), script.size()));
}

ParsedScript ParseScript(std::span<const uint8_t> script) {
  ParsedScript parsed;
  int line = 1;
  size_t pos = 0;
  // Counts the line ends in [from, to): CR LF is one.
  auto countLines = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (script[i] == kCr && i + 1 < script.size() && script[i + 1] == kLf) ++i;
      if (IsLineEnd(script[i])) ++line;
    }
  };
  while (pos < script.size()) {
    if (IsLineEnd(script[pos])) {
      const size_t next = (script[pos] == kCr && pos + 1 < script.size() && script[pos + 1] == kLf)
                              ? pos + 2
                              : pos + 1;
      ++line;
      pos = next;
      continue;
    }
    const std::span<const uint8_t> rest = script.subspan(pos);
    const CommandExtent extent = FindCommand(rest, true);
    size_t length = extent.length;
    if (extent.kind != CommandExtent::Kind::Complete) {
      length =
          static_cast<size_t>(std::find_if(rest.begin(), rest.end(), IsLineEnd) - rest.begin());
      const std::string_view text = AsText(rest.first(length));
      // Commands of the other families (status and memory banks "^", RFID
      // ">", the image list and delete) are not label content; leave them.
      const bool otherFamily = text.starts_with('^') || text.starts_with('>') ||
                               text.starts_with("ID") || text.starts_with("II") || text == "CPS" ||
                               text.find_first_not_of(" \t") == text.npos;
      if (!otherFamily) {
        std::string shown(text.substr(0, 40));
        parsed.errors.push_back({line, "Syntax Error: unknown command '" + shown + "'", pos});
      }
    } else {
      ParseOutcome outcome = ParseCommand(rest.first(length));
      if (outcome.command) {
        parsed.commands.push_back({std::move(*outcome.command), line, pos});
      } else {
        parsed.errors.push_back({line, "Syntax Error: " + outcome.error, pos});
      }
    }
    // An image's bytes are not lines of the script.
    if (!AsText(rest).starts_with("IS")) countLines(pos, pos + length);
    pos += length;
  }
  return parsed;
}

std::string_view CommandName(const Command& command) {
  static constexpr std::array<std::string_view, std::variant_size_v<Command>> kByIndex{
      "SS", "SD", "SO", "SW", "SL", "SM", "T", "V", "B1", "B2", "BD", "CS", "P", "IS", "IR"};
  return kByIndex[command.index()];
}

}  // namespace qm::preview
