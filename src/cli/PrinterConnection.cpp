#include "cli/PrinterConnection.h"

#include <charconv>
#include <ostream>

#include "link/PrinterPort.h"
#include "link/SystemLinkServices.h"

namespace qm::cli {
namespace {

std::optional<uint32_t> Number(std::string_view text) {
  uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The main window's lists: whatever it cannot choose, the command line refuses too.
std::optional<uint32_t> Choose(std::string_view option, std::string_view value) {
  if (option == "--baud") {
    auto baud = Number(value);
    for (uint32_t allowed : {9600u, 19200u, 38400u, 57600u, 115200u})
      if (baud == allowed) return baud;
    return std::nullopt;
  }
  if (option == "--parity") {
    if (value == "none") return 0;
    if (value == "odd") return 1;
    if (value == "even") return 2;
    return std::nullopt;
  }
  if (option == "--data-bits") {
    if (value == "7") return 7;
    if (value == "8") return 8;
    return std::nullopt;
  }
  if (value == "1") return 0;
  if (value == "1.5") return 1;
  if (value == "2") return 2;
  return std::nullopt;
}

}  // namespace

bool TakeConnectionOptions(std::span<const std::string> args, ConnectionOptions& options,
                           std::vector<std::string>& rest, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    const bool known = word == "--port" || word == "--baud" || word == "--parity" ||
                       word == "--data-bits" || word == "--stop-bits";
    if (!known) {
      rest.push_back(word);
      continue;
    }
    if (i + 1 >= args.size()) {
      err << "quillmark-cli: " << word << " needs a value\n";
      return false;
    }
    const std::string& value = args[++i];
    if (word == "--port") {
      if (value.empty()) {
        err << "quillmark-cli: --port needs a port name\n";
        return false;
      }
      options.port = value;
      continue;
    }
    auto chosen = Choose(word, value);
    if (!chosen) {
      err << "quillmark-cli: " << word << " cannot be '" << value << "' (see --help)\n";
      return false;
    }
    if (word == "--baud") options.baud = *chosen;
    if (word == "--parity") options.parity = *chosen;
    if (word == "--data-bits") options.dataBits = *chosen;
    if (word == "--stop-bits") options.stopBits = *chosen;
  }
  return true;
}

std::string_view PrinterOptionsHelp() {
  return "  --port NAME        COM1: .. COM10:, LPT1: .. LPT4:, USB, or a serial device\n"
         "                     path (default COM1:; QUILLMARK_COM1 and the like redirect)\n"
         "  --baud N           9600, 19200, 38400, 57600 or 115200 (default 115200)\n"
         "  --parity P         none, odd or even (default none)\n"
         "  --data-bits N      7 or 8 (default 8)\n"
         "  --stop-bits N      1, 1.5 or 2 (default 1)\n";
}

void ConsolePrompter::Show(const std::string& text, const std::string& caption, MessageIcon) {
  ++shown_;
  err_ << caption << ": " << text << "\n";
}

bool ConsolePrompter::AskYesNo(const std::string& text, const std::string& caption, MessageIcon) {
  ++shown_;
  err_ << caption << ": " << text << " " << (answerYes_ ? "Yes" : "No") << "\n";
  return answerYes_;
}

std::optional<std::string> ConsolePrompter::OpenFileName(const FileDialogOptions&) {
  return std::nullopt;
}

std::optional<std::string> ConsolePrompter::SaveFileName(const FileDialogOptions&) {
  return std::nullopt;
}

PrinterConnection::PrinterConnection(std::ostream& err)
    : err_(err), prompter_(err), services_(SystemLinkServices(prompter_)) {
  port_ = std::make_unique<PrinterPort>(SystemDevices(), *services_, prompter_, clock_,
                                       SystemIsWindows9x());
}

PrinterConnection::~PrinterConnection() {
  if (!port_->IsOpen()) return;
  // A plain close would drop the last command if the line still holds it.
  if (!port_->CloseAfterSending(kSendLimitMs))
    err_ << "quillmark-cli: the printer did not take the last bytes in time\n";
}

bool PrinterConnection::Open(const ConnectionOptions& options) {
  port_->SetPortName(options.port);
  port_->SetSerialParameters(options.baud, options.parity, options.dataBits, options.stopBits);
  if (!port_->Open()) {
    err_ << "Cannot open port " << options.port << "! Please check printer and cable.\n";
    return false;
  }
  if (port_->GetInterfaceType() == Usb) port_->Close();
  return true;
}

}  // namespace qm::cli
