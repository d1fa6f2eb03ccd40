#include "preview/LabelCommandFields.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace qm::preview {

namespace {

// Splits the fields after the command name. A quoted field keeps its quotes
// so the parser can tell it from a bare one.
struct Fields {
  std::vector<std::string_view> items;
  std::string error;
};

Fields SplitFields(std::string_view body, bool twoByte = false) {
  Fields fields;
  // Room for the longest command's fields at once: a script of 100,000
  // commands otherwise grows a list four or five times for each.
  fields.items.reserve(16);
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

}  // namespace

bool TwoByteText(std::string_view name, std::string_view body) {
  if (name != "T") return false;
  const size_t first = body.find(',');
  const size_t second = first == std::string_view::npos ? first : body.find(',', first + 1);
  if (second == std::string_view::npos || second + 2 >= body.size() || body[second + 2] != ',') {
    return false;
  }
  return std::string_view("abcdefjmn").find(body[second + 1]) != std::string_view::npos;
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

}  // namespace qm::preview
