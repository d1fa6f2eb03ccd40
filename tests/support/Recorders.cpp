#include "Recorders.h"

#include <gtest/gtest.h>
#include <cstring>
#include <numeric>

#include "link/PrinterPort.h"

namespace qm::test {

void RecordingPrompter::Show(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
  shown.push_back({"message", text, caption, icon, {}});
}

bool RecordingPrompter::AskYesNo(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
  shown.push_back({"question", text, caption, icon, {}});
  if (answers.empty()) return false;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<std::string> RecordingPrompter::OpenFileName(const FileDialogOptions& options) {
  shown.push_back({"open", {}, {}, MessageIcon::None, options});
  if (files.empty()) return std::nullopt;
  auto file = files.front();
  files.pop_front();
  return file;
}

std::optional<std::string> RecordingPrompter::SaveFileName(const FileDialogOptions& options) {
  shown.push_back({"save", {}, {}, MessageIcon::None, options});
  if (files.empty()) return std::nullopt;
  auto file = files.front();
  files.pop_front();
  return file;
}

std::vector<std::string> RecordingPrompter::Messages() const {
  std::vector<std::string> texts;
  for (const auto& s : shown)
    if (s.kind == "message") texts.push_back(s.text);
  return texts;
}

int RecordingClock::Total() const {
  return std::accumulate(waits.begin(), waits.end(), 0);
}

bool FakeLinkServices::CheckDriverPorts(const PrinterPort&, InterfaceType kind) {
  checks.push_back(kind);
  return driverCheckPasses;
}

bool FakeLinkServices::FindUsbPrinter(PrinterPort& port) {
  ++discoveries;
  if (usbNode.empty()) return false;
  auto& path = port.DevicePath();
  path.fill('\0');
  std::strncpy(path.data(), usbNode.c_str(), path.size() - 1);
  port.SetUsbModelIndex(usbModel);
  return true;
}

}  // namespace qm::test
