#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/Options.h"
#include "base/Clock.h"
#include "base/Prompter.h"

namespace qm {
class LinkServices;
class PrinterPort;
}  // namespace qm

namespace qm::cli {

// Message boxes become lines on the error stream ("Caption: text"); a Yes/No
// question takes the answer the subcommand chose and says which; file
// dialogs have nobody to ask and give nothing.
class ConsolePrompter : public Prompter {
 public:
  explicit ConsolePrompter(std::ostream& err, bool answerYes = false)
      : err_(err), answerYes_(answerYes) {}

  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> OpenFileName(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileName(const FileDialogOptions& options) override;

  void SetAnswerYes(bool yes) { answerYes_ = yes; }
  // How many boxes were shown: a subcommand that must not pass a failure
  // silently checks it.
  int Shown() const { return shown_; }

 private:
  std::ostream& err_;
  bool answerYes_;
  int shown_ = 0;
};

// Where a --port value leads. COMn:, LPTn: and USB are the main window's
// names; any other word is a path to a character device, symbolic links
// resolved, opened as the USB printer it is when discovery lists its node
// and as a serial line otherwise.
struct PortTarget {
  std::string portName;               // what PrinterPort is given
  std::optional<std::string> usbNode;  // a USB printer addressed by its node
  int usbModelIndex = -1;
  std::string problem;  // why the name leads nowhere; empty when it does
};
PortTarget ResolvePort(const std::string& given, const std::string& sysRoot = "/sys",
                       const std::string& devRoot = "/dev");

// One printer connection: the real devices, the machine's link services, a
// console prompter and a blocking clock, the same PrinterPort the windows use.
class PrinterConnection {
 public:
  PrinterConnection(const std::string& given, const LineOptions& line, std::ostream& err);
  ~PrinterConnection();

  // Opens the port as the main window's Connect does (a USB port is closed
  // again and opened around each transfer). False with the message in
  // OpenFailure().
  bool Open();
  // Closes the port once its last bytes have left the line (or the wait for
  // them gave up, which is said on `err`). Closing also happens on destruction.
  void Close();
  // The main window's text and the system's reason, on one line.
  const std::string& OpenFailure() const { return failure_; }

  // How long closing waits for queued bytes to leave the line.
  static constexpr int kSendLimitMs = 5000;

  PrinterPort& Port() { return *port_; }
  ConsolePrompter& Prompter() { return prompter_; }
  Clock& GetClock() { return clock_; }

 private:
  std::ostream& err_;
  PortTarget target_;
  ConsolePrompter prompter_;
  SystemClock clock_;
  class Devices;
  std::unique_ptr<Devices> devices_;
  std::unique_ptr<LinkServices> services_;
  std::unique_ptr<PrinterPort> port_;
  std::string failure_;
};

}  // namespace qm::cli
