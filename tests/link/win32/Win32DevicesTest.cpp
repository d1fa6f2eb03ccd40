#include <gtest/gtest.h>

#include "link/PortNames.h"
#include "link/win32/Win32Devices.h"
#include "link/win32/Win32LinkServices.h"

namespace qm {
namespace {

TEST(Win32Serial, DeviceControlBlockFollowsTheLineSettings) {
  DCB reported{};
  reported.DCBlength = sizeof reported;
  reported.fBinary = TRUE;
  reported.XonLim = 2048;
  reported.XonChar = 0x11;
  reported.fOutX = TRUE;
  reported.fInX = TRUE;
  reported.fNull = TRUE;
  reported.fAbortOnError = TRUE;
  reported.fDsrSensitivity = TRUE;
  reported.fRtsControl = RTS_CONTROL_HANDSHAKE;

  struct Row {
    SerialSettings settings;
    BOOL parityChecked;
  } rows[] = {
      {{115200, 0, 8, 0}, FALSE},
      {{9600, 1, 7, 2}, TRUE},
      {{57600, 2, 8, 1}, TRUE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.settings.baudRate);
    const DCB dcb = SerialDcb(reported, row.settings);
    EXPECT_EQ(dcb.BaudRate, row.settings.baudRate);
    EXPECT_EQ(dcb.ByteSize, row.settings.dataBits);
    EXPECT_EQ(dcb.Parity, row.settings.parity);
    EXPECT_EQ(dcb.StopBits, row.settings.stopBits);
    EXPECT_EQ(dcb.fParity, unsigned(row.parityChecked));
    // Flow control by CTS and DSR, DTR and RTS raised, binary transfer.
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_TRUE(dcb.fOutxDsrFlow);
    EXPECT_EQ(dcb.fDtrControl, unsigned(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, unsigned(RTS_CONTROL_ENABLE));
    EXPECT_FALSE(dcb.fDsrSensitivity);
    EXPECT_FALSE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
    EXPECT_FALSE(dcb.fNull);
    EXPECT_FALSE(dcb.fAbortOnError);
    // What the driver reported otherwise stays.
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_EQ(dcb.XonLim, 2048);
    EXPECT_EQ(dcb.XonChar, 0x11);
  }
}

TEST(Win32Serial, TransferTimeoutsNeverMeanWaitForEver) {
  COMMTIMEOUTS current{};
  current.WriteTotalTimeoutConstant = 3000;
  struct Row {
    int totalMs, gapMs;
    DWORD interval, constant;
  } rows[] = {
      {3004, 0, 0, 3004},
      {3010, 50, 50, 3010},
      // All zeros would block until bytes came; a 0 ms read returns at once.
      {0, 0, MAXDWORD, 0},
  };
  for (const auto& row : rows) {
    const COMMTIMEOUTS read = ReadTimeouts(current, row.totalMs, row.gapMs);
    EXPECT_EQ(read.ReadIntervalTimeout, row.interval) << row.totalMs;
    EXPECT_EQ(read.ReadTotalTimeoutConstant, row.constant) << row.totalMs;
    EXPECT_EQ(read.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(read.WriteTotalTimeoutConstant, 3000u) << "the write bounds stay";
  }
  EXPECT_EQ(WriteTimeouts(current, 20500).WriteTotalTimeoutConstant, 20500u);
  EXPECT_EQ(WriteTimeouts(current, 0).WriteTotalTimeoutConstant, 1u);
}

TEST(Win32PortNames, MainWindowNamesOpenAsTheSystemKnowsThem) {
  struct Row {
    const char* name;
    const char* opened;  // nullptr: no device
  } rows[] = {
      {"COM1:", "COM1:"},         {"COM9:", "COM9:"},
      {"COM10:", "\\\\.\\COM10"}, {"COM11:", nullptr},
      {"COM0:", nullptr},         {"COM1", nullptr},
      {"LPT1:", "LPT1:"},         {"LPT4:", "LPT4:"},
      {"LPT5:", nullptr},         {"\\\\.\\COM12", "\\\\.\\COM12"},
      {"/dev/ttyS0", nullptr},    {"USB", nullptr},
  };
  for (const auto& row : rows) {
    const auto node = DeviceNodeFor(row.name);
    if (row.opened)
      EXPECT_EQ(node, std::optional<std::string>(row.opened)) << row.name;
    else
      EXPECT_FALSE(node) << row.name;
  }
  EXPECT_TRUE(IsSerialDevicePath("\\\\.\\COM12"));
  EXPECT_FALSE(IsSerialDevicePath("\\\\.\\COM"));
}

TEST(Win32PortNames, SerialPortsBeyondTenComeFromTheRegistry) {
  const char* key = "Software\\Quillmark-test\\SERIALCOMM";
  HKEY made = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made,
                            nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, port] : {std::pair{"\\Device\\Serial0", "COM1"},
                                   {"\\Device\\VCP0", "COM21"},
                                   {"\\Device\\VCP1", "COM12"},
                                   {"\\Device\\Bad", "COMX"}})
    RegSetValueExA(made, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                   DWORD(strlen(port) + 1));
  RegCloseKey(made);
  EXPECT_EQ(SystemSerialDevices(key), (std::vector<std::string>{"\\\\.\\COM12", "\\\\.\\COM21"}));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quillmark-test");
}

TEST(Win32Devices, MissingPortFailsWithAReason) {
  Win32SerialDevice serial;
  EXPECT_FALSE(serial.Open("\\\\.\\COM199"));
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_FALSE(serial.FailureReason().empty());

  // The USB device path gets the printing pipe appended; a path that names
  // nothing opens nothing.
  Win32UsbDevice usb;
  EXPECT_FALSE(usb.Open("\\\\?\\usb#vid_7c2e&pid_0005#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"));
}

TEST(Win32Version, OldSystemFlagAndUsbSupport) {
  // The packed version word: major in the low byte, the top bit for the
  // 95/98/ME family.
  struct FlagRow {
    DWORD packed;
    bool windows9x;
  } flags[] = {
      {0xC0000004, true},   // Windows 95
      {0xC0000A04, true},   // Windows 98
      {0x80000003, false},  // Win32s on 3.1
      {0x0A280105, false},  // NT 5.1
      {0x4A61000A, false},  // NT 10
  };
  for (const auto& row : flags)
    EXPECT_EQ(IsWindows9xVersion(row.packed), row.windows9x) << row.packed;

  struct UsbRow {
    DWORD platform, major, minor;
    bool supported;
  } usb[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, false},  // 95
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true},  // 98
      {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true},  // ME
      {VER_PLATFORM_WIN32_NT, 4, 0, false},      {VER_PLATFORM_WIN32_NT, 5, 0, true},
      {VER_PLATFORM_WIN32_NT, 10, 0, true},      {VER_PLATFORM_WIN32s, 3, 1, true},
  };
  for (const auto& row : usb)
    EXPECT_EQ(UsbSupportedOn(row.platform, row.major, row.minor), row.supported)
        << row.platform << " " << row.major << "." << row.minor;
}

}  // namespace
}  // namespace qm
