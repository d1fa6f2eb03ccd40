#include "download/HexConversion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "TempFiles.h"
#include "cli/Cli.h"

namespace qm::test {
namespace {

std::string HexByte(unsigned v) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", v & 0xFF);
  return text;
}

// An Intel HEX record with its checksum (plus `damage` to break it).
std::string Intel(unsigned type, unsigned address, const std::vector<uint8_t>& data,
                  int damage = 0) {
  unsigned sum = unsigned(data.size()) + (address >> 8) + (address & 0xFF) + type;
  std::string line = ":" + HexByte(unsigned(data.size())) + HexByte(address >> 8) +
                     HexByte(address) + HexByte(type);
  for (uint8_t b : data) {
    line += HexByte(b);
    sum += b;
  }
  return line + HexByte((0x100 - (sum & 0xFF)) + unsigned(damage)) + "\n";
}

// An S1/S2/S3 record with its checksum.
std::string SRec(char kind, uint32_t address, const std::vector<uint8_t>& data) {
  const unsigned addressBytes = kind == '1' ? 2 : kind == '2' ? 3 : 4;
  const unsigned count = addressBytes + unsigned(data.size()) + 1;
  unsigned sum = count;
  std::string line = std::string("S") + kind + HexByte(count);
  for (int i = int(addressBytes) - 1; i >= 0; --i) {
    line += HexByte(address >> (8 * i));
    sum += (address >> (8 * i)) & 0xFF;
  }
  for (uint8_t b : data) {
    line += HexByte(b);
    sum += b;
  }
  return line + HexByte(~sum) + "\n";
}

const std::vector<uint8_t> k1234{0x12, 0x34, 0x56, 0x78};

TEST(HexConversion, RecordRules) {
  struct Row {
    const char* what;
    std::string text;
    uint32_t at;  // where k1234 must land
    std::string failure;
  };
  const Row rows[] = {
      {"one data record", ":0400000012345678E8\n", 0, ""},
      {"segment base x 16", ":020000021000EC\n:0400000012345678E8\n", 0x10000, ""},
      {"linear base sets bits 31-16", Intel(4, 0, {0x00, 0x01}) + Intel(0, 0x10, k1234), 0x10010,
       ""},
      {"04 replaces 02", Intel(2, 0, {0x10, 0x00}) + Intel(4, 0, {0, 0}) + Intel(0, 4, k1234), 4,
       ""},
      {"02 replaces 04", Intel(4, 0, {0, 3}) + Intel(2, 0, {0x20, 0}) + Intel(0, 0, k1234), 0x20000,
       ""},
      {"CR LF, empty lines, EOF record", "\r\n" + Intel(0, 8, k1234) + "\n:00000001FF\r\n", 8, ""},
      {"S0 header then S2", "S00600004844521B\n" + SRec('2', 0x3FFFC, k1234), 0x3FFFC, ""},
      {"S3, lower-case s", "s" + SRec('3', 0x100, k1234).substr(1), 0x100, ""},
      {"S1 records are passed over", SRec('2', 0, k1234) + SRec('1', 0x10, {1, 2}), 0, ""},
      {"linear address past the image", Intel(4, 0, {0, 4}) + Intel(0, 0, k1234), 0,
       "Line 2: address 0x40000 is outside the 256 KiB image"},
      {"data running off the end", Intel(2, 0, {0x3F, 0xFF}) + Intel(0, 0xE, k1234), 0,
       "Line 2: address 0x40000 is outside the 256 KiB image"},
      {"S3 address far out", SRec('3', 0x80000000, k1234), 0,
       "Line 1: address 0x80000000 is outside the 256 KiB image"},
      {"non-hex digit", ":04000000123G5678E8\n", 0, "Line 1: not a hexadecimal digit"},
      {"shorter than its count", ":0400000012345678\n", 0,
       "Line 1: the record is shorter than its byte count says"},
      {"S-record shorter than its count", "S2080000001234\n", 0,
       "Line 1: the record is shorter than its byte count says"},
      {"bad lead character", "\n#0400000012345678E8\n", 0,
       "Line 2: neither an Intel HEX record nor an S-record"},
      {"mixed formats", Intel(0, 0, k1234) + SRec('2', 0, k1234), 0,
       "Line 2: not an Intel HEX record (the file mixes formats)"},
      // The whole file's format is checked before any record's rules.
      {"a broken record, then the other format", ":04000000123G5678E8\n" + SRec('2', 0, k1234), 0,
       "Line 2: not an Intel HEX record (the file mixes formats)"},
      {"S2 records, then Intel HEX", SRec('2', 0, k1234) + Intel(0, 0, k1234), 0,
       "Line 2: not an S-record (the file mixes formats)"},
      {"only S0 and S1", "S00600004844521B\n" + SRec('1', 0, k1234), 0,
       "no Intel HEX or S2/S3 records in the file"},
      {"empty file", "", 0, "no Intel HEX or S2/S3 records in the file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    bool asked = false;
    HexConversion r = ConvertHexText(row.text, kFirmwareImageSize, [&](size_t) {
      asked = true;
      return false;
    });
    EXPECT_FALSE(asked);
    if (!row.failure.empty()) {
      EXPECT_FALSE(r.ok);
      EXPECT_EQ(r.Describe(), row.failure);
      EXPECT_TRUE(r.image.empty());
      continue;
    }
    ASSERT_TRUE(r.ok) << r.Describe();
    ASSERT_EQ(r.image.size(), kFirmwareImageSize);
    std::vector<uint8_t> expected(kFirmwareImageSize, 0xFF);
    std::copy(k1234.begin(), k1234.end(), expected.begin() + row.at);
    EXPECT_EQ(r.image, expected);
  }
}

// Every character at every place of a data record's digits: taken, with its
// value, exactly when it is a hexadecimal digit of either case.
TEST(HexConversion, EveryCharacterOfARecordIsADigitOrRefused) {
  const std::string record = Intel(0, 0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF});
  for (size_t at = 1; at + 1 < record.size(); ++at) {
    for (int c = 1; c < 256; ++c) {
      if (c == '\n' || c == '\r') continue;  // line ends
      std::string text = record;
      text[at] = char(c);
      HexConversion r = ConvertHexText(text, 16, [](size_t) { return true; });
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) {
        EXPECT_EQ(r.Describe(), "Line 1: not a hexadecimal digit") << at << " " << c;
        continue;
      }
      // A changed count, address or type makes another record, a changed
      // checksum the same one: only the data digits are checked for value.
      if (at < 9 || at > 24) continue;
      ASSERT_TRUE(r.ok) << at << " " << c << ": " << r.Describe();
      const size_t byte = (at - 9) / 2;
      const int shift = (at - 9) % 2 == 0 ? 4 : 0;
      const uint8_t before = uint8_t(0x01 + 0x22 * byte);
      const uint8_t expected = uint8_t((before & ~(0xF << shift)) | digit << shift);
      EXPECT_EQ(r.image[byte], expected) << at << " " << c;
    }
  }
}

TEST(HexConversion, ChecksumOfTheWholeImage) {
  HexConversion r = ConvertHexText(":0400000012345678E8\n", kFirmwareImageSize, nullptr);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.checksum, 0x3FBFD18u);
  EXPECT_EQ(ChecksumText(r.checksum), "FD18");
  EXPECT_EQ(ChecksumText(0x1A), "1A");
}

TEST(HexConversion, ARecordChecksumMismatchIsAskedOnce) {
  const std::string text = Intel(0, 0, k1234) + Intel(0, 4, k1234, 1) + Intel(0, 8, k1234, 2);
  for (bool goOn : {false, true}) {
    std::vector<size_t> asked;
    HexConversion r = ConvertHexText(text, kFirmwareImageSize, [&](size_t line) {
      asked.push_back(line);
      return goOn;
    });
    EXPECT_EQ(asked, std::vector<size_t>{2});
    EXPECT_EQ(r.ok, goOn);
    // Nothing is asked about a file that mixes formats further on.
    asked.clear();
    EXPECT_FALSE(ConvertHexText(text + SRec('2', 0, k1234), kFirmwareImageSize, [&](size_t line) {
                   asked.push_back(line);
                   return goOn;
                 }).ok);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(r.badChecksumLine, 2u);
    if (goOn) {
      EXPECT_EQ(r.image[8], 0x12);  // later bad records are taken too
    } else {
      EXPECT_EQ(r.Describe(), "Line 2: record checksum error");
    }
  }
}

TEST(HexConversion, MoreDataBytesThanTheImageHoldsFail) {
  // Overlapping records within a small image: the stored-byte count decides.
  const std::string text = Intel(0, 0, {1, 2, 3}) + Intel(0, 1, {4, 5});
  HexConversion r = ConvertHexText(text, 4, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Describe(), "Line 2: more data bytes than the 4-byte image holds");
}

TEST(HexConversion, FilesAreReadAsStreams) {
  TempFolder folder;
  // A runaway line is clipped, not held, and what follows still counts.
  const std::string path =
      folder.Write("long.hex", Intel(0, 0, k1234).substr(0, 19) + std::string(200000, '0') + "\n" +
                                   Intel(0, 4, k1234));
  HexConversion r = ConvertHexToBinary(path, kFirmwareImageSize, nullptr);
  ASSERT_TRUE(r.ok) << r.Describe();
  EXPECT_EQ(r.image[4], 0x12);

  HexConversion missing = ConvertHexToBinary(folder.Path() + "/none.hex", 16, nullptr);
  EXPECT_FALSE(missing.ok);
  EXPECT_TRUE(missing.unreadable);
  EXPECT_TRUE(ConvertHexToBinary("", 16, nullptr).unreadable);
}

// Files written by independent tools from random images: every image the
// command line writes equals the source, padded with 0xFF where the file
// left gaps.
TEST(HexConversion, FilesMadeByObjcopyAndSrecCatConvertExactly) {
  if (system("command -v objcopy >/dev/null && command -v srec_cat >/dev/null") != 0)
    GTEST_SKIP() << "objcopy (binutils) and srec_cat (srecord) are needed";
  TempFolder folder;
  std::mt19937 random(8);
  std::string source(kFirmwareImageSize, '\0');
  for (char& c : source) c = char(random());
  const std::string bin = folder.Write("source.bin", source);
  std::string sparse = source;
  std::fill(sparse.begin() + 0x1000, sparse.begin() + 0x9000, '\xFF');
  std::fill(sparse.begin() + 0x30000, sparse.end(), '\xFF');
  const std::string sparseRanges = " -exclude 0x1000 0x9000 -exclude 0x30000 0x40000";

  struct Row {
    const char* what;
    std::string command;  // %s: the output file
    const std::string* expected;
    const char* mustHold;  // a record type the file must use
  };
  const std::string in = bin;
  const Row rows[] = {
      {"objcopy ihex (type 02)", "objcopy -I binary -O ihex " + in + " %s", &source, ":02000002"},
      {"objcopy srec (S2)", "objcopy -I binary -O srec " + in + " %s", &source, "S2"},
      {"objcopy srec (S3)", "objcopy -I binary -O srec --srec-forceS3 " + in + " %s", &source,
       "S3"},
      {"srec_cat intel 02", "srec_cat " + in + " -binary -o %s -intel -address-length=3", &source,
       ":02000002"},
      {"srec_cat intel 04, sparse",
       "srec_cat " + in + " -binary" + sparseRanges + " -o %s -intel -address-length=4", &sparse,
       ":02000004"},
      {"srec_cat S2, sparse",
       "srec_cat " + in + " -binary" + sparseRanges + " -o %s -motorola -address-length=3", &sparse,
       "S2"},
      {"srec_cat S3", "srec_cat " + in + " -binary -o %s -motorola -address-length=4", &source,
       "S3"},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string file = folder.Path() + "/f" + std::to_string(++n) + ".hex";
    std::string command = row.command;
    command.replace(command.find("%s"), 2, file);
    ASSERT_EQ(system((command + " 2>/dev/null").c_str()), 0) << command;
    ASSERT_NE(TempFolder::Read(file).find(row.mustHold), std::string::npos);
    const std::string out = folder.Path() + "/out.bin";
    std::ostringstream stdoutText, stderrText;
    const std::vector<std::string> args{"hex2bin", file, "-o", out};
    ASSERT_EQ(cli::RunCli(args, stdoutText, stderrText), 0) << stderrText.str();
    EXPECT_NE(stdoutText.str().find("CheckSum : "), std::string::npos);
    EXPECT_TRUE(TempFolder::Read(out) == *row.expected);
  }
}

TEST(Hex2BinCommand, FailuresSayFileLineAndReason) {
  TempFolder folder;
  const std::string bad = folder.Write("bad.hex", Intel(0, 0, k1234, 1));
  const std::string out = folder.Path() + "/bad.bin";
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string err;
  };
  const Row rows[] = {
      {{"hex2bin", bad, "-o", out},
       1,
       bad + ": line 1: record checksum error (--accept-bad-checksums takes it)\n"},
      {{"hex2bin", bad, "-o", out, "--accept-bad-checksums"},
       0,
       bad + ": line 1: record checksum error, taken as it is\n"},
      {{"hex2bin", folder.Path() + "/none.hex"},
       1,
       folder.Path() + "/none.hex: cannot open " + folder.Path() + "/none.hex\n"},
      {{"hex2bin"},
       2,
       "quillmark-cli hex2bin: FILE is required\nTry 'quillmark-cli hex2bin --help'.\n"},
  };
  for (const Row& row : rows) {
    std::ostringstream o, e;
    EXPECT_EQ(cli::RunCli(row.args, o, e), row.exit);
    EXPECT_EQ(e.str(), row.err);
  }
  EXPECT_EQ(TempFolder::Read(out).size(), kFirmwareImageSize);
}

// The image is written over what the output file held before: a longer file
// is cut to the image, a file converted again holds the new image only, and a
// folder that cannot be written to is a failure.
TEST(Hex2BinCommand, TheImageReplacesWhatTheOutputHeld) {
  TempFolder folder;
  const std::string out = folder.Write("old.bin", std::string(3 * kFirmwareImageSize, 'x'));
  for (const std::vector<uint8_t>& data : {k1234, std::vector<uint8_t>{0xAB}}) {
    const std::string hex = folder.Write("in.hex", Intel(0, 2, data));
    std::ostringstream o, e;
    const std::vector<std::string> args{"hex2bin", hex, "-o", out};
    ASSERT_EQ(cli::RunCli(args, o, e), 0) << e.str();
    std::string expected(kFirmwareImageSize, '\xFF');
    std::copy(data.begin(), data.end(), expected.begin() + 2);
    EXPECT_TRUE(TempFolder::Read(out) == expected);
  }
  std::ostringstream o, e;
  const std::vector<std::string> args{"hex2bin", folder.Path() + "/in.hex", "-o",
                                      folder.Path() + "/none/x.bin"};
  EXPECT_EQ(cli::RunCli(args, o, e), 1);
  EXPECT_EQ(e.str(), folder.Path() + "/none/x.bin: cannot write the image\n");
}

}  // namespace
}  // namespace qm::test
