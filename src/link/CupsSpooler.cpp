#include "link/CupsSpooler.h"

#include "link/CupsLibrary.h"

#include <memory>

namespace qm {
namespace {

struct CupsClose {
  void operator()(http_t* http) const { CupsLibrary::Get()->httpClose(http); }
  void operator()(ipp_t* ipp) const { CupsLibrary::Get()->ippDelete(ipp); }
};

// Gives up on a reply that does not come within the time-out.
int AbandonOnTimeout(http_t*, void*) {
  return 0;
}

// Listing queues needs no password on any usual setup. A server that asks
// for one anyway gets none: libcups would otherwise prompt on the terminal
// and hold up the transfer.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
  return nullptr;
}

}  // namespace

bool IsLocalCupsServer(std::string_view server) {
  if (server.starts_with('/')) return true;
  std::string_view host = server;
  if (host.starts_with('[')) {
    host = host.substr(1, host.find(']') - 1);
  } else if (host.find(':') == host.rfind(':')) {
    host = host.substr(0, host.find(':'));  // "name:port"; a bare IPv6 address keeps its colons
  }
  return host == "localhost" || host == "::1" || host.starts_with("127.");
}

std::vector<SpoolerQueue> CupsSpooler::Queues() {
  std::vector<SpoolerQueue> queues;
  const CupsLibrary* cups = CupsLibrary::Get();
  if (!cups) return queues;
  const char* server = cups->cupsServer();
  if (!server || !IsLocalCupsServer(server)) return queues;
  std::unique_ptr<http_t, CupsClose> http(cups->httpConnect2(server, cups->ippPort(), nullptr,
                                                             AF_UNSPEC, cups->cupsEncryption(), 1,
                                                             connectTimeoutMs_, nullptr));
  if (!http) return queues;
  cups->httpSetTimeout(http.get(), replyTimeoutMs_ / 1000.0, AbandonOnTimeout, nullptr);
  cups->cupsSetPasswordCB2(NoPassword, nullptr);

  ipp_t* request = cups->ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  static const char* const kAttributes[] = {"printer-name", "device-uri"};
  cups->ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      int(std::size(kAttributes)), nullptr, kAttributes);
  // cupsDoRequest takes the request and frees it.
  std::unique_ptr<ipp_t, CupsClose> reply(cups->cupsDoRequest(http.get(), request, "/"));
  if (!reply) return queues;

  // Each printer is a run of attributes in the printer group; a separator
  // (an attribute without a name, or another group) ends it.
  SpoolerQueue current;
  auto finish = [&] {
    if (!current.name.empty()) queues.push_back(current);
    current = {};
  };
  for (ipp_attribute_t* attr = cups->ippFirstAttribute(reply.get()); attr;
       attr = cups->ippNextAttribute(reply.get())) {
    const char* name = cups->ippGetName(attr);
    if (cups->ippGetGroupTag(attr) != IPP_TAG_PRINTER || !name) {
      finish();
      continue;
    }
    const char* value = cups->ippGetString(attr, 0, nullptr);
    if (!value) continue;
    if (std::string_view(name) == "printer-name") current.name = value;
    if (std::string_view(name) == "device-uri") current.deviceUri = value;
  }
  finish();
  return queues;
}

}  // namespace qm
