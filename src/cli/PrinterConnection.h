#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Clock.h"
#include "base/Prompter.h"

namespace qm {
class LinkServices;
class PrinterPort;
}  // namespace qm

namespace qm::cli {

// The line a printer subcommand connects over, as the main window would set
// it: its defaults are the main window's ("COM1:", 115200 baud, no parity, 8
// data bits, one stop bit).
struct ConnectionOptions {
  std::string port = "COM1:";  // COM1:..COM10:, LPT1:..LPT4:, USB, or a serial device path
  uint32_t baud = 115200;
  uint32_t parity = 0;    // 0 none, 1 odd, 2 even
  uint32_t dataBits = 8;  // 7 or 8
  uint32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
};

// Takes the connection options (--port, --baud, --parity, --data-bits,
// --stop-bits) out of `args` and leaves every other word in `rest`, in order.
// A bad value is said on `err` and returns false.
bool TakeConnectionOptions(std::span<const std::string> args, ConnectionOptions& options,
                           std::vector<std::string>& rest, std::ostream& err);

// The lines --help prints for those options.
std::string_view PrinterOptionsHelp();

// Message boxes become lines on the error stream ("Caption: text"); a Yes/No
// question takes the answer the subcommand chose (a flag such as --yes) and
// says which; file dialogs have nobody to ask and give nothing.
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

// One printer connection for one subcommand: the real devices, the machine's
// link services, a console prompter and a blocking clock, the same
// PrinterPort the windows use.
class PrinterConnection {
 public:
  explicit PrinterConnection(std::ostream& err);
  ~PrinterConnection();

  // Opens the port as the main window's Connect does (a USB port is closed
  // again and opened around each transfer). False with the reason on `err`.
  bool Open(const ConnectionOptions& options);

  // How long closing waits for queued bytes to leave the line.
  static constexpr int kSendLimitMs = 5000;

  PrinterPort& Port() { return *port_; }
  ConsolePrompter& Prompter() { return prompter_; }
  Clock& GetClock() { return clock_; }

 private:
  std::ostream& err_;
  ConsolePrompter prompter_;
  SystemClock clock_;
  std::unique_ptr<LinkServices> services_;
  std::unique_ptr<PrinterPort> port_;
};

}  // namespace qm::cli
