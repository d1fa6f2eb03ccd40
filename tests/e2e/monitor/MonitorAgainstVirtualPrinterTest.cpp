// A whole session against the virtual printer with the traffic monitor
// listening: what the monitor saw must be, byte for byte and in order, what
// the printer logged receiving and sending.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Recorders.h"
#include "download/Downloads.h"
#include "download/HexConversion.h"
#include "link/PrinterPort.h"
#include "link/TrafficTap.h"
#include "monitor/TrafficRows.h"
#include "rfid/RfidExchange.h"
#include "settings/MemoryBank.h"
#include "sim/PtyFrontEnd.h"
#include "status/StatusExchange.h"
#include "tester/JobSender.h"

namespace qm::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The two directions of a virtual printer's log: RX what it received, TX
// what it answered, each in order.
struct LoggedTraffic {
  Bytes received;
  Bytes sent;
};

LoggedTraffic ReadLog(const std::string& path) {
  LoggedTraffic traffic;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string time, direction, count;
    fields >> time >> direction >> count;
    Bytes& into = direction == "RX" ? traffic.received : traffic.sent;
    std::string hex;
    // The hex bytes run up to the " |text|" column.
    while (fields >> hex && hex.size() == 2 && hex[0] != '|')
      into.push_back(uint8_t(std::stoul(hex, nullptr, 16)));
  }
  return traffic;
}

TEST(MonitorAgainstVirtualPrinter, SeesExactlyWhatThePrinterLogged) {
  const auto log = std::filesystem::temp_directory_path() /
                   ("qm_monitor_e2e_" + std::to_string(getpid()) + ".log");
  auto printer = std::make_unique<sim::PtyFrontEnd>(sim::FrontEndOptions{"", log.string(), 0, {}});
  std::string error;
  ASSERT_TRUE(printer->Open(error)) << error;
  printer->Start();
  setenv("QUILLMARK_COM1", printer->SlavePath().c_str(), 1);

  FakeLinkServices services;
  RecordingPrompter prompter;
  SystemClock clock;
  PrinterPort port(SystemDevices(), services, prompter, clock);
  TrafficTap tap(1u << 20, 64u << 20);
  port.SetTrafficTap(&tap);

  // Connect, status, a settings Get and Set, a download, a Multi Send, an RFID Get.
  port.SetPortName("COM1:");
  port.SetSerialParameters(115200, 0, 8, 0);
  ASSERT_EQ(port.Open(), 1);
  EXPECT_TRUE(ExchangeStatus(port, clock, StatusCommand::Cp, {}).complete);
  EXPECT_TRUE(ReadBank(port, clock, 3).has_value());
  EXPECT_TRUE(ReadPrinterInfo(port, clock, 0).has_value());
  EXPECT_EQ(ChangeBank(port, 3, 0x42, membank::BankForm::Terminated), 1);
  std::vector<uint8_t> image(kFirmwareImageSize, 0xFF);
  image[17] = 0x12;
  EXPECT_EQ(DownloadFirmware(port, image, ImageChecksum(image), {}), SendResult::Sent);
  const std::vector<std::string> job(3, "N\r\nA50,50,0,3,1,1,N,\"QUILLMARK\"\r\nP1\r\n");
  EXPECT_EQ(SendWrites(port, job), job.size());
  EXPECT_TRUE(GetRfidSettings(port, clock, {}).Succeeded());

  const auto records = tap.Take();
  Bytes written, read;
  for (const auto& record : records) {
    ASSERT_NE(record.kind, TrafficRecord::Kind::Dropped);
    if (record.kind == TrafficRecord::Kind::Write)
      written.insert(written.end(), record.bytes.begin(), record.bytes.begin() + record.done);
    if (record.kind == TrafficRecord::Kind::Read)
      read.insert(read.end(), record.bytes.begin(), record.bytes.end());
  }
  ASSERT_TRUE(printer->WaitForReceived(written.size(), std::chrono::seconds(5)));
  port.Close();
  printer.reset();  // stops the printer and closes its log
  unsetenv("QUILLMARK_COM1");
  const LoggedTraffic logged = ReadLog(log.string());
  std::filesystem::remove(log);
  EXPECT_GT(written.size(), image.size());
  EXPECT_TRUE(written == logged.received) << written.size() << " written, "
                                          << logged.received.size() << " logged received";
  EXPECT_TRUE(read == logged.sent) << read.size() << " read, " << logged.sent.size()
                                   << " logged sent";

  // And the rows say what happened, from the same records.
  TrafficRows rows;
  rows.Add(records);
  std::ostringstream text;
  rows.Write(text, false);
  for (const char* expected : {"= status: Status OK", "= read bank 3, reply on channel 1",
                               "= set bank 3 to 42", "= firmware: 262,152 bytes in 525 pieces",
                               "= RFID setting: power"})
    EXPECT_NE(text.str().find(expected), std::string::npos) << expected << "\n" << text.str();
}

}  // namespace
}  // namespace qm::test
