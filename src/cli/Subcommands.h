#pragma once

// The run functions of the subcommands, one file each beside this header;
// Subcommands.cpp lists them with their synopsis for --help.
#include <iosfwd>
#include <span>
#include <string>

namespace qm::cli {

int RunChart(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunFindFont(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunPreview(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunDownload(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunHex2Bin(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunCalibrate(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunStatus(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunSettings(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunRfid(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qm::cli
