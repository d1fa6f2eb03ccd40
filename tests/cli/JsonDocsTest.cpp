// Every example of docs/cli-json.md, run again against the virtual printer:
// the output must have the example's fields, of the same types.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "FakeUsbTree.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "sim/PtyFrontEnd.h"

namespace qm::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct Example {
  std::vector<std::string> words;  // after the program's name
  std::vector<Json> objects;
};

std::vector<Example> Examples() {
  std::ifstream doc(QM_SOURCE_DIR "/docs/cli-json.md");
  std::vector<Example> examples;
  bool inConsole = false;
  for (std::string line; std::getline(doc, line);) {
    if (line == "```console") {
      inConsole = true;
    } else if (line == "```") {
      inConsole = false;
    } else if (inConsole && line.starts_with("$ quillmark-cli ")) {
      examples.emplace_back();
      std::istringstream words(line.substr(16));
      for (std::string word; words >> word;) examples.back().words.push_back(word);
    } else if (inConsole) {
      examples.back().objects.push_back(Json::parse(line));
    }
  }
  return examples;
}

// The same fields, of the same types, all the way down; arrays are compared
// by their first elements, since their lengths follow the printer's state.
void ExpectSameShape(const Json& example, const Json& actual, const std::string& where) {
  ASSERT_EQ(example.type_name(), actual.type_name()) << where;
  if (example.is_object()) {
    for (const auto& [key, value] : example.items()) {
      ASSERT_TRUE(actual.contains(key)) << where << "." << key << " missing";
      ExpectSameShape(value, actual[key], where + "." + key);
    }
    for (const auto& [key, value] : actual.items())
      EXPECT_TRUE(example.contains(key)) << where << "." << key << " not documented";
  } else if (example.is_array() && !example.empty() && !actual.empty()) {
    ExpectSameShape(example.front(), actual.front(), where + "[0]");
  }
}

std::vector<Json> Objects(const std::string& text) {
  std::vector<Json> objects;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) objects.push_back(Json::parse(line));
  return objects;
}

TEST(JsonDocs, EveryExampleMatchesARealRun) {
  const std::vector<Example> examples = Examples();
  ASSERT_EQ(examples.size(), 13u);
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.WithPrinter([](sim::VirtualPrinter& p) {
    p.State().status.cpReply = {0x40, 0x00};
    p.State().calibration.roll.noise = 0;
  });
  printer.Start();
  test::FakeUsbTree tree;  // for list: one serial port, one USB printer
  tree.AddNode("lp0", "1-1", 0x7c2e, 0x0010, "/dev/null");
  fs::create_directories(tree.SysRoot() + "/class/tty/ttyS0");
  std::ofstream(tree.SysRoot() + "/class/tty/ttyS0/type") << "4\n";
  std::ofstream(tree.DevRoot() + "/ttyS0") << "";
  const std::string link = tree.root() + "/qm-printer";
  fs::create_symlink(printer.SlavePath(), link);
  std::ofstream(tree.root() + "/firmware.hex") << ":0400000012345678E8\n";
  const fs::path before = fs::current_path();
  fs::current_path(tree.root());

  for (const Example& example : examples) {
    std::vector<std::string> words = example.words;
    for (std::string& word : words)
      if (word == "/tmp/qm-printer") word = link;
    SCOPED_TRACE(words.front());
    std::ostringstream out, err;
    if (words.front() == "list") {
      ListOptions options;
      options.sysRoot = tree.SysRoot();
      options.devRoot = tree.DevRoot();
      options.line.json = true;
      EXPECT_EQ(RunList(options, {out, err}), 0);
    } else {
      EXPECT_EQ(RunCli(words, out, err), 0) << err.str();
    }
    const std::vector<Json> actual = Objects(out.str());
    ASSERT_EQ(actual.size(), example.objects.size()) << out.str();
    for (size_t i = 0; i < actual.size(); ++i)
      ExpectSameShape(example.objects[i], actual[i], words.front());
  }
  fs::current_path(before);
}

}  // namespace
}  // namespace qm::cli
