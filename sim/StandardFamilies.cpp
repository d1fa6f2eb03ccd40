#include "sim/DownloadFamily.h"
#include "sim/CalibrationFamily.h"
#include "sim/MemoryBankFamily.h"
#include "sim/RfidFamily.h"
#include "sim/LabelFamily.h"
#include "sim/StatusFamily.h"
#include "sim/VirtualPrinter.h"

namespace qm::sim {

void AddStandardFamilies(VirtualPrinter& printer) {
  printer.AddFamily(std::make_unique<StatusFamily>());
  printer.AddFamily(std::make_unique<DownloadFamily>());
  printer.AddFamily(std::make_unique<MemoryBankFamily>());
  printer.AddFamily(std::make_unique<RfidFamily>());
  printer.AddFamily(std::make_unique<CalibrationFamily>());
  printer.AddFamily(std::make_unique<LabelFamily>());
}

}  // namespace qm::sim
