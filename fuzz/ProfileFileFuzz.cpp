// libFuzzer target over the profile file as Restore and Compare read it: any
// bytes as its text. Nothing may crash or trip a sanitizer; a file that is
// taken in must come back the same when written out and read again, show
// every setting, and compare equal to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profile/PrinterProfile.h"

namespace profile = qm::profile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const profile::Json json = profile::Json::parse(text, nullptr, false);
  if (json.is_discarded()) return 0;
  std::string error;
  const auto read = profile::FromJson(json, error);
  if (!read) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (!profile::Compare(*read, *read).empty()) std::abort();
  if (profile::Settings(*read).empty()) std::abort();
  (void)profile::OtherModelQuestion(*read, *read);
  const auto again = profile::FromJson(profile::ToJson(*read), error);
  if (!again || !profile::Compare(*read, *again, false).empty()) std::abort();
  return 0;
}
