#include "download/HexConversion.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/SystemFiles.h"

namespace qm {
namespace {

// Lines longer than this are kept only up to here: no valid record comes
// close (the longest is 521 characters), and text after a record's data is
// ignored anyway, so a runaway line cannot make memory grow.
constexpr size_t kMaxKeptLine = 4096;

// A line as the records see it: clipped, without its CR.
std::string_view Shape(std::string_view line) {
  if (line.size() > kMaxKeptLine) line = line.substr(0, kMaxKeptLine);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Reads a text source line by line without holding more than a block and
// one line; line ends (LF, CR LF, a lone CR at the end) are removed.
class FileLines {
 public:
  explicit FileLines(std::FILE* file) : file_(file), block_(kBlock) {}

  bool Next(std::string_view& line) {
    carry_.clear();
    bool clipped = false;
    for (;;) {
      if (pos_ == end_) {
        if (eof_) break;
        end_ = std::fread(block_.data(), 1, block_.size(), file_);
        pos_ = 0;
        if (end_ < block_.size()) {
          eof_ = true;
          if (std::ferror(file_)) error_ = true;
        }
        if (end_ == 0) break;
      }
      const char* from = block_.data() + pos_;
      const auto* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - pos_));
      const size_t take = newline ? size_t(newline - from) : end_ - pos_;
      pos_ += take;
      if (newline && carry_.empty() && !clipped) {
        ++pos_;
        line = Shape(std::string_view(from, take));
        return true;
      }
      if (!clipped) {
        const size_t room = kMaxKeptLine - carry_.size();
        carry_.append(from, std::min(take, room));
        clipped = take > room;
      }
      if (newline) {
        ++pos_;
        line = Shape(carry_);
        return true;
      }
    }
    if (carry_.empty()) return false;
    line = Shape(carry_);
    return true;
  }

  void Rewind() {
    std::rewind(file_);
    pos_ = end_ = 0;
    eof_ = false;
  }
  bool Failed() const { return error_; }

 private:
  // Small enough that its pages cost little to bring in at each start, large
  // enough that reading takes few calls.
  static constexpr size_t kBlock = 1 << 14;

  std::FILE* file_;
  std::vector<char> block_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  bool error_ = false;
  std::string carry_;
};

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t newline = text_.find('\n', pos_);
    if (newline == std::string_view::npos) newline = text_.size();
    line = Shape(text_.substr(pos_, newline - pos_));
    pos_ = newline + 1;
    return true;
  }
  void Rewind() { pos_ = 0; }
  bool Failed() const { return false; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

constexpr std::array<int8_t, 256> MakeHexTable() {
  std::array<int8_t, 256> table{};
  for (auto& v : table) v = -1;
  for (int c = 0; c < 10; ++c) table['0' + c] = int8_t(c);
  for (int c = 0; c < 6; ++c) {
    table['A' + c] = int8_t(10 + c);
    table['a' + c] = int8_t(10 + c);
  }
  return table;
}
constexpr std::array<int8_t, 256> kHex = MakeHexTable();

// Decodes the eight hexadecimal digits at `digits` into four bytes at `out`,
// all in one 64-bit word; false when any of them is not a digit. A byte is a
// digit when it is 0x30..0x39, or 0x61..0x66 once its case bit is set; each
// range test adds an offset that carries into the byte's top bit exactly
// when the byte reaches the range's start (bytes over 0x7F are refused
// first, so no addition carries into the next byte).
bool DecodeEight(const char* digits, uint8_t* out) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kTop = 0x8080808080808080ull;
  uint64_t x;
  std::memcpy(&x, digits, 8);
  if ((x & kTop) != 0) return false;
  const uint64_t lower = x | 0x20 * kOnes;
  const uint64_t digit = (x + (0x80 - '0') * kOnes) & ~(x + (0x80 - '9' - 1) * kOnes);
  const uint64_t letter = (lower + (0x80 - 'a') * kOnes) & ~(lower + (0x80 - 'f' - 1) * kOnes);
  if (((digit | letter) & kTop) != kTop) return false;
  // Each byte's value, 0..15, then each pair of bytes as one, packed.
  const uint64_t nibbles = (x & 0x0F * kOnes) + ((letter & kTop) >> 7) * 9;
  uint64_t pairs =
      ((nibbles & 0x00FF00FF00FF00FFull) << 4) | ((nibbles >> 8) & 0x00FF00FF00FF00FFull);
  pairs = (pairs | (pairs >> 8)) & 0x0000FFFF0000FFFFull;
  const uint32_t four = uint32_t(pairs | (pairs >> 16));
  std::memcpy(out, &four, 4);
  return true;
}

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::string ImageSizeText(uint32_t size) {
  if (size % 1024 == 0) return std::to_string(size / 1024) + " KiB";
  return std::to_string(size) + "-byte";
}

// One conversion's working state: the rules of both passes.
class Converter {
 public:
  Converter(uint32_t imageSize, const ChecksumMismatchHandler& onMismatch)
      : imageSize_(imageSize), onMismatch_(onMismatch) {}

  // The whole file is checked (every line's format, then the records)
  // before anything is asked or reported. Usually the first record names the
  // format and no rule breaks, so the lines are checked and converted in one
  // reading; otherwise a fresh converter reads the file again, checking
  // every line's format before converting, so what is reported and asked is
  // the same either way.
  template <typename Lines>
  HexConversion Run(Lines& lines) {
    if (ConvertInOnePass(lines)) return Finish();
    lines.Rewind();
    return Converter(imageSize_, onMismatch_).CheckThenConvert(lines);
  }

 private:
  // True when the file was read, checked and converted with nothing to say
  // or ask about it.
  template <typename Lines>
  bool ConvertInOnePass(Lines& lines) {
    std::string_view first;
    while (lines.Next(first)) {
      ++lineNumber_;
      if (!first.empty()) break;
    }
    if (first.empty()) return false;
    if (first[0] == ':')
      result_.format = HexFormat::IntelHex;
    else if (first.size() > 1 && (first[0] == 'S' || first[0] == 's') &&
             (first[1] == '2' || first[1] == '3'))
      result_.format = HexFormat::SRecord;
    else
      return false;
    onePass_ = true;
    return Convert(lines, first) && !failed_ && !lines.Failed();
  }

  template <typename Lines>
  HexConversion CheckThenConvert(Lines& lines) {
    if (!Detect(lines)) return Finish();
    lines.Rewind();
    lineNumber_ = 0;
    Convert(lines, {});
    if (!failed_ && lines.Failed()) Fail(0, "the file could not be read to its end", true);
    return Finish();
  }

  // Converts `first` (the line just read, if any) and the lines after it;
  // false when, in one pass, a line of the other format stopped it.
  template <typename Lines>
  bool Convert(Lines& lines, std::string_view first) {
    result_.image.reserve(imageSize_);
    PrefaultPages(result_.image.data(), imageSize_);
    result_.image.assign(imageSize_, 0xFF);
    const bool intel = result_.format == HexFormat::IntelHex;
    if (!first.empty()) Record(first, intel);
    std::string_view line;
    while (!failed_ && lines.Next(line)) {
      ++lineNumber_;
      if (line.empty()) continue;
      if (onePass_ && (intel ? line[0] != ':' : (line[0] != 'S' && line[0] != 's'))) return false;
      Record(line, intel);
    }
    return true;
  }

  void Record(std::string_view line, bool intel) {
    if (intel)
      IntelRecord(line);
    else
      SRecord(line);
  }

  template <typename Lines>
  bool Detect(Lines& lines) {
    std::string_view line;
    while (lines.Next(line)) {
      ++lineNumber_;
      if (line.empty()) continue;
      const char lead = line[0];
      if (result_.format == HexFormat::Unknown) {
        if (lead == ':') {
          result_.format = HexFormat::IntelHex;
        } else if (lead == 'S' || lead == 's') {
          // S0 headers and S1 records do not decide: only S2 and S3 carry
          // the addresses a 256 KiB image needs.
          if (line.size() > 1 && (line[1] == '2' || line[1] == '3')) {
            result_.format = HexFormat::SRecord;
          }
        } else {
          return Fail(lineNumber_, "neither an Intel HEX record nor an S-record");
        }
        continue;
      }
      const bool intel = result_.format == HexFormat::IntelHex;
      if (intel ? lead != ':' : (lead != 'S' && lead != 's'))
        return Fail(lineNumber_, intel ? "not an Intel HEX record (the file mixes formats)"
                                       : "not an S-record (the file mixes formats)");
    }
    if (lines.Failed()) return Fail(0, "the file could not be read to its end", true);
    if (result_.format == HexFormat::Unknown)
      return Fail(0, "no Intel HEX or S2/S3 records in the file");
    return true;
  }

  // The byte whose two digits start at `at`; the caller has checked the length.
  bool Byte(std::string_view line, size_t at, uint8_t& value) {
    const int high = kHex[uint8_t(line[at])];
    const int low = kHex[uint8_t(line[at + 1])];
    if (high < 0 || low < 0) return Fail(lineNumber_, "not a hexadecimal digit");
    value = uint8_t(high << 4 | low);
    return true;
  }

  // Decodes `bytes` bytes from character `from` into bytes_ and checks that
  // they sum to `expected`; asks once on a mismatch.
  bool DecodeRecord(std::string_view line, size_t from, size_t bytes, uint8_t expected) {
    // Four bytes at a time while eight digits remain, then one at a time:
    // this is most of a conversion's work.
    const char* digits = line.data() + from;
    size_t i = 0;
    bool hex = true;
    for (; hex && i + 4 <= bytes; i += 4) hex = DecodeEight(digits + 2 * i, bytes_.data() + i);
    for (; hex && i < bytes; ++i) {
      const int high = kHex[uint8_t(digits[2 * i])];
      const int low = kHex[uint8_t(digits[2 * i + 1])];
      hex = (high | low) >= 0;
      bytes_[i] = uint8_t(high << 4 | low);
    }
    if (!hex) return Fail(lineNumber_, "not a hexadecimal digit");
    uint8_t sum = 0;
    for (i = 0; i < bytes; ++i) sum = uint8_t(sum + bytes_[i]);
    if (sum == expected) return true;
    if (result_.badChecksumLine != 0) return true;
    // Asked only once the whole file is known to be of one format.
    if (onePass_) return Fail(lineNumber_, "record checksum error");
    result_.badChecksumLine = lineNumber_;
    if (onMismatch_ && onMismatch_(lineNumber_)) return true;
    return Fail(lineNumber_, "record checksum error");
  }

  // Stores `count` data bytes from bytes_[first] at `address` on.
  bool StoreAll(uint64_t address, size_t first, size_t count) {
    if (address + count <= imageSize_ && stored_ + count <= imageSize_) {
      std::memcpy(result_.image.data() + address, bytes_.data() + first, count);
      stored_ += count;
      return true;
    }
    // Somewhere in this record a rule breaks: find the byte that does.
    for (size_t i = 0; i < count; ++i)
      if (!Store(address + i, bytes_[first + i])) return false;
    return true;
  }

  bool Store(uint64_t address, uint8_t value) {
    if (address >= imageSize_)
      return Fail(lineNumber_, "address " + Hex(address) + " is outside the " +
                                   ImageSizeText(imageSize_) + " image");
    if (stored_ >= imageSize_)
      return Fail(lineNumber_,
                  "more data bytes than the " + ImageSizeText(imageSize_) + " image holds");
    result_.image[address] = value;
    ++stored_;
    return true;
  }

  void IntelRecord(std::string_view line) {
    // ":" count(2) address(4) type(2) data(2 * count) checksum(2)
    uint8_t count = 0;
    if (line.size() < 11 || !Byte(line, 1, count)) {
      if (!failed_) Fail(lineNumber_, "the record is shorter than its byte count says");
      return;
    }
    if (line.size() < 11 + 2 * size_t(count)) {
      Fail(lineNumber_, "the record is shorter than its byte count says");
      return;
    }
    // bytes_: count, address high, address low, type, data..., checksum
    if (!DecodeRecord(line, 1, 5 + size_t(count), 0)) return;
    const uint32_t offset = uint32_t(bytes_[1]) << 8 | bytes_[2];
    switch (line[8]) {
      case '0':
        StoreAll(uint64_t(base_) + offset, 4, count);
        break;
      case '2':
      case '4': {
        if (count != 2) {
          Fail(lineNumber_, "an address record must hold two bytes");
          return;
        }
        const uint32_t value = uint32_t(bytes_[4]) << 8 | bytes_[5];
        base_ = line[8] == '2' ? value * 16 : value << 16;
        break;
      }
      default:
        break;
    }
  }

  void SRecord(std::string_view line) {
    if (line.size() < 2 || (line[1] != '2' && line[1] != '3')) return;
    // Each record carries its own address width.
    const size_t addressBytes = line[1] == '2' ? 3 : 4;
    uint8_t count = 0;
    if (line.size() < 4 || !Byte(line, 2, count)) {
      if (!failed_) Fail(lineNumber_, "the record is shorter than its byte count says");
      return;
    }
    if (count < addressBytes + 1 || line.size() < 4 + 2 * size_t(count)) {
      Fail(lineNumber_, "the record is shorter than its byte count says");
      return;
    }
    // bytes_: count, address..., data..., checksum
    if (!DecodeRecord(line, 2, size_t(count) + 1, 0xFF)) return;
    uint64_t address = 0;
    for (size_t i = 1; i <= addressBytes; ++i) address = address << 8 | bytes_[i];
    StoreAll(address, 1 + addressBytes, count - addressBytes - 1);
  }

  bool Fail(size_t line, std::string reason, bool unreadable = false) {
    if (failed_) return false;
    failed_ = true;
    result_.line = line;
    result_.reason = std::move(reason);
    result_.unreadable = unreadable;
    return false;
  }

  HexConversion Finish() {
    if (failed_) {
      result_.image.clear();
      result_.image.shrink_to_fit();
      return std::move(result_);
    }
    result_.ok = true;
    result_.checksum = ImageChecksum(result_.image);
    return std::move(result_);
  }

  uint32_t imageSize_;
  const ChecksumMismatchHandler& onMismatch_;
  HexConversion result_;
  size_t lineNumber_ = 0;
  uint32_t base_ = 0;
  uint64_t stored_ = 0;
  std::array<uint8_t, 260> bytes_{};
  bool failed_ = false;
  bool onePass_ = false;
};

}  // namespace

std::string HexConversion::Describe() const {
  if (line == 0) return reason;
  return "Line " + std::to_string(line) + ": " + reason;
}

HexConversion ConvertHexToBinary(const std::string& path, uint32_t imageSize,
                                 const ChecksumMismatchHandler& onChecksumMismatch) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      path.empty() ? nullptr : std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    HexConversion failed;
    failed.unreadable = true;
    failed.reason = path.empty() ? "no file chosen" : "cannot open " + path;
    return failed;
  }
  return ConvertHexStream(file.get(), imageSize, onChecksumMismatch);
}

HexConversion ConvertHexStream(std::FILE* file, uint32_t imageSize,
                               const ChecksumMismatchHandler& onChecksumMismatch) {
  FileLines lines(file);
  return Converter(imageSize, onChecksumMismatch).Run(lines);
}

HexConversion ConvertHexText(const std::string& text, uint32_t imageSize,
                             const ChecksumMismatchHandler& onChecksumMismatch) {
  TextLines lines(text);
  return Converter(imageSize, onChecksumMismatch).Run(lines);
}

uint32_t ImageChecksum(const std::vector<uint8_t>& image) {
  // Eight bytes at a time: each 16-bit lane of `even` and `odd` gathers one
  // byte of every word, and at most 255 words are added before the lanes are
  // folded into the sum, so no lane overflows.
  const uint8_t* data = image.data();
  const size_t words = image.size() / 8;
  uint32_t sum = 0;
  for (size_t done = 0; done < words;) {
    const size_t batch = std::min<size_t>(words - done, 255);
    uint64_t even = 0, odd = 0;
    for (size_t i = 0; i < batch; ++i, ++done) {
      uint64_t word;
      std::memcpy(&word, data + 8 * done, 8);
      even += word & 0x00FF00FF00FF00FFull;
      odd += (word >> 8) & 0x00FF00FF00FF00FFull;
    }
    for (const uint64_t lanes : {even, odd})
      sum += uint32_t((lanes & 0xFFFF) + (lanes >> 16 & 0xFFFF) + (lanes >> 32 & 0xFFFF) +
                      (lanes >> 48));
  }
  for (size_t i = words * 8; i < image.size(); ++i) sum += data[i];
  return sum;
}

std::string ChecksumText(uint32_t checksum) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", checksum);
  std::string form(text);
  return form.size() > 4 ? form.substr(form.size() - 4) : form;
}

}  // namespace qm
