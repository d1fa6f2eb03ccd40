#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Prompter.h"
#include "link/LinkServices.h"
#include "ui/ModalRunner.h"

class QDialog;

namespace qm::test {

// A message box or file dialog a window showed.
struct Shown {
  std::string kind;  // "message", "question", "open", "save"
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  FileDialogOptions options;
};

// Records every box instead of showing it; answers questions and file
// dialogs from queues (an empty queue answers No / Cancel).
class RecordingPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> OpenFileName(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileName(const FileDialogOptions& options) override;

  // Texts of the message boxes only, in order.
  std::vector<std::string> Messages() const;
  const Shown* Last() const { return shown.empty() ? nullptr : &shown.back(); }
  void Clear() { shown.clear(); }

  std::vector<Shown> shown;
  std::deque<bool> answers;
  std::deque<std::optional<std::string>> files;
};

// Records the waits and returns at once.
class RecordingClock : public Clock {
 public:
  void Sleep(int milliseconds) override { waits.push_back(milliseconds); }
  void KeepResponsive() override { ++responsiveCalls; }
  int Total() const;
  std::vector<int> waits;
  int responsiveCalls = 0;  // how often a blocked transfer let the windows paint
};

// Link services with fixed answers, for port tests that are not about them.
class FakeLinkServices : public LinkServices {
 public:
  bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind) override;
  bool OsSupportsUsb() override { return osSupportsUsb; }
  bool FindUsbPrinter(PrinterPort& port) override;
  void RepairUsbPrintRegistry(int index) override { repairs.push_back(index); }

  bool driverCheckPasses = true;
  bool osSupportsUsb = true;
  std::string usbNode;  // empty: no USB printer found
  int usbModel = 1;
  std::vector<InterfaceType> checks;
  std::vector<int> repairs;
  int discoveries = 0;
};

// Drives the dialogs a window opens through RunModal: each opened dialog is
// handed to the next handler in the queue, which plays the operator and
// returns the dialog's result. Restores the previous hook when destroyed.
class ModalScript {
 public:
  using Handler = std::function<int(QDialog&)>;
  ModalScript();
  ~ModalScript();
  ModalScript& Then(Handler handler);
  size_t Pending() const { return handlers_.size(); }
  std::vector<std::string> opened;  // object names (or class names) of the dialogs run

 private:
  std::deque<Handler> handlers_;
  ModalHook previous_;
};

}  // namespace qm::test
