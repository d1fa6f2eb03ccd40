#pragma once

#include <windows.h>

namespace qm {

// The old-system flag: the packed version word's top bit set (not the NT
// family) and a major version of 4 or more, that is Windows 95, 98 and ME.
bool IsWindows9xVersion(DWORD packedVersion);

// Whether the system can drive USB printers: not Windows 95 (4.0 of the
// 95/98/ME platform), not NT 4 or older; any other system can.
bool UsbSupportedOn(DWORD platformId, DWORD majorVersion, DWORD minorVersion);

}  // namespace qm
