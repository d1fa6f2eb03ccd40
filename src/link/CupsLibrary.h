#pragma once

#include <cups/cups.h>

namespace qm {

// The few libcups calls the spooler guard makes, loaded on first use.
// libcups drags in a TLS stack, Kerberos and Avahi whose loading and
// start-up would add some 10 ms to every start of the tool; the guard only
// needs them when a port is opened. Null when libcups cannot be loaded, in
// which case there is no spooler to ask.
struct CupsLibrary {
  decltype(&::cupsServer) cupsServer;
  decltype(&::cupsEncryption) cupsEncryption;
  decltype(&::cupsSetPasswordCB2) cupsSetPasswordCB2;
  decltype(&::cupsDoRequest) cupsDoRequest;
  decltype(&::httpConnect2) httpConnect2;
  decltype(&::httpSetTimeout) httpSetTimeout;
  decltype(&::httpClose) httpClose;
  decltype(&::ippPort) ippPort;
  decltype(&::ippNewRequest) ippNewRequest;
  decltype(&::ippAddStrings) ippAddStrings;
  decltype(&::ippDelete) ippDelete;
  decltype(&::ippFirstAttribute) ippFirstAttribute;
  decltype(&::ippNextAttribute) ippNextAttribute;
  decltype(&::ippGetGroupTag) ippGetGroupTag;
  decltype(&::ippGetName) ippGetName;
  decltype(&::ippGetString) ippGetString;

  static const CupsLibrary* Get();
};

}  // namespace qm
