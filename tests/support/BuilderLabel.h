#pragma once

#include <string_view>

namespace qm::testing_support {

// The script made by inserting once from every builder with its defaults
// (the 2D builder once per symbology), as the tester appends it: a 4 x 6
// inch label with texts, a 1D barcode, MaxiCode, PDF417, QR and a bar.
inline constexpr std::string_view kEveryBuilderLabel =
    "SS3\r\nSD20\r\nSOT\r\n"
    "SW812\r\nSL1219,15,G\r\nSM40,40\r\n"
    "T20,20,3,1,1,0,0,N,N,'TORVALE Label Printer LTR-420 II Test'\r\n"
    "V20,20,U,35,35,1,N,N,N,0,L,0,'TORVALE Label Printer LTR-420 II Test'\r\n"
    "B1100,100,0,2,7,100,0,1,'123456789'\r\n"
    "B2100,100,M,0,'999,840,06810,7317,THIS IS A TEST OF MODE 0 STRUCTURED CARRIER MESSAGE "
    "ENCODING. THIS IS AN 84 CHAR MSG'\r\n"
    "B2100,100,P,30,5,0,0,1,1,3,10,0,'TORVALE Label Printer LTR420, This is Test Printing.'\r\n"
    "B2100,100,Q,1,L,4,0,'ABCDEFGHIJKLMN1234567890'\r\n"
    "BD100,100,800,120,O\r\n"
    "P1,1\r\n";

}  // namespace qm::testing_support
