#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextDocument>
#include <random>

#include "tester/ScriptText.h"

namespace qm::test {
namespace {

// What the tester does with the script: into the editor and back out.
std::string ThroughEditor(QPlainTextEdit& editor, const std::string& bytes) {
  editor.setPlainText(QString::fromStdString(ScriptTextFromBytes(bytes)));
  return ScriptBytesFromText(editor.document()->toRawText().toStdString());
}

TEST(ScriptText, CrLfIsALineBreakAndEverythingElseShowsAsItIs) {
  EXPECT_EQ(ScriptTextFromBytes("^Q100,3\r\n^W80\r\nE\r\n"), "^Q100,3\n^W80\nE\n");
  EXPECT_EQ(ScriptTextFromBytes("T\t\"h\xC3\xA9\"\x1B"), "T\t\"h\xC3\xA9\"\x1B");
  EXPECT_EQ(ScriptBytesFromText("^Q100,3\n^W80\n"), "^Q100,3\r\n^W80\r\n");
  // The editor's own paragraph separator is a typed Enter: CR LF.
  EXPECT_EQ(ScriptBytesFromText("A\xE2\x80\xA9"
                                "B"),
            "A\r\nB");
}

TEST(ScriptText, BytesTheEditorCannotHoldBecomePlaceholders) {
  // A lone CR, a lone LF and a byte that is not UTF-8 are one placeholder
  // each (U+F70D, U+F70A, U+F7A4), not line breaks or replacement marks.
  EXPECT_EQ(ScriptTextFromBytes("A\rB\nC\xA4"),
            "A\xEF\x9C\x8D"
            "B\xEF\x9C\x8A"
            "C\xEF\x9E\xA4");
  EXPECT_EQ(ScriptBytesFromText("A\xEF\x9C\x8D"
                                "B\xEF\x9C\x8A"
                                "C\xEF\x9E\xA4"),
            "A\rB\nC\xA4");
  // LF CR is two lone line ends, CR CR LF one lone CR and a break.
  EXPECT_EQ(ScriptBytesFromText(ScriptTextFromBytes("\n\r")), "\n\r");
  EXPECT_EQ(ScriptTextFromBytes("\r\r\n"), "\xEF\x9C\x8D\n");
  // Truncated, overlong and surrogate sequences are bytes, not characters.
  for (std::string bad : {"\xE4\xB8", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_EQ(ScriptBytesFromText(ScriptTextFromBytes(bad)), bad);
}

TEST(ScriptText, EveryByteStringSurvivesTheEditor) {
  QPlainTextEdit editor;
  // Every single byte, every pair of bytes around a line end, characters the
  // editor turns into structure, and the placeholders themselves in a file.
  std::vector<std::string> cases;
  for (int b = 1; b < 256; ++b) {
    cases.push_back(std::string(1, char(b)));
    cases.push_back(std::string("x") + char(b) + "\r\n");
    cases.push_back(std::string("\r") + char(b) + "\n");
  }
  cases.push_back(
      "a\xE2\x80\xA9"
      "b\xE2\x80\xA8"
      "c\xEF\xB7\x90\xEF\xB7\x91\xEF\xBF\xBC");
  cases.push_back("\xEF\x9C\x8A\xEF\x9E\xA4\xEF\x9F\xBF");
  cases.push_back("\xF0\x9F\x98\x80 label \xE4\xB8\xAD\r\n");
  cases.push_back("\r\n\r\n\r\n");

  std::mt19937 random(4);
  std::uniform_int_distribution<int> byte(1, 255);
  for (int n = 0; n < 300; ++n) {
    std::string bytes(size_t(1 + n % 40), ' ');
    for (char& c : bytes) c = char(byte(random));
    cases.push_back(bytes);
  }
  for (const std::string& bytes : cases) {
    ASSERT_EQ(ScriptBytesFromText(ScriptTextFromBytes(bytes)), bytes);
    ASSERT_EQ(ThroughEditor(editor, bytes), bytes);
  }
}

}  // namespace
}  // namespace qm::test
