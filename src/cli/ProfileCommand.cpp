#include <ostream>

#include "cli/PortRunner.h"
#include "cli/PrinterConnection.h"
#include "profile/ProfileExchange.h"

namespace qm::cli {
namespace {

using nlohmann::ordered_json;
using profile::Difference;
using profile::Profile;

constexpr const char* kName = "quillmark-cli profile: ";

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

ordered_json DifferenceJson(const Difference& d) {
  return {{"page", d.group}, {"setting", d.name}, {"file", d.file}, {"printer", d.printer}};
}

void PrintDifference(std::ostream& out, const Difference& d) {
  out << d.group << " / " << d.name << ": file " << d.file << ", printer " << d.printer << "\n";
}

// Reads the printer; a read that failed is named on the error stream.
profile::BackupResult ReadPrinter(PortSession& session) {
  profile::BackupResult read = profile::ReadProfile(session.port, session.clock);
  if (!read.Complete()) session.err << kName << "no reply to: " << Joined(read.failed) << "\n";
  return read;
}

// A printer that did not answer every read fails the run, whatever was done.
void FailOnUnread(PortResult& result, const profile::BackupResult& read) {
  if (read.Complete()) return;
  result.code = kFailed;
  result.json["error"] = "no reply to: " + Joined(read.failed);
}

PortResult Backup(const ProfileOptions& options, PortSession& session) {
  profile::BackupResult read = ReadPrinter(session);
  PortResult result{kDone, {{"file", options.file}, {"written", false}, {"missing", read.failed}}};
  if (!read.Complete() && !options.partial) {
    session.err << kName << "nothing written (--partial writes the file with these marked "
                            "missing)\n";
    FailOnUnread(result, read);
    return result;
  }
  read.profile.missing = read.failed;
  std::string error;
  if (!profile::SaveProfileFile(options.file, read.profile, error)) {
    session.err << kName << error << "\n";
    result.code = kFailed;
    result.json["error"] = error;
    return result;
  }
  for (const profile::Setting& s : profile::Settings(read.profile))
    session.out << s.group << " / " << s.name << ": " << s.shown << "\n";
  session.out << "profile written to " << options.file
              << (read.Complete() ? "" : " (partial)") << "\n";
  result.json["written"] = true;
  // A partial file is written as asked, but the printer still did not answer.
  FailOnUnread(result, read);
  return result;
}

PortResult Diff(const ProfileOptions& options, const Profile& file, PortSession& session) {
  const profile::BackupResult read = ReadPrinter(session);
  const std::vector<Difference> differences = profile::Compare(file, read.profile, options.all);
  ordered_json list = ordered_json::array();
  for (const Difference& d : differences) {
    PrintDifference(session.out, d);
    list.push_back(DifferenceJson(d));
  }
  if (differences.empty()) session.out << "no differences\n";
  PortResult result{kDone, {{"differences", list}, {"unread", read.failed}}};
  FailOnUnread(result, read);
  return result;
}

PortResult Restore(const ProfileOptions& options, const Profile& file, PortSession& session) {
  const profile::BackupResult read = ReadPrinter(session);
  const profile::RestorePlan plan =
      profile::PlanRestore(file, read.profile, read.failed, options.identity);
  ordered_json changes = ordered_json::array();
  for (const profile::RestoreStep& step : plan.steps) {
    session.out << (options.dryRun ? "would write " : "writing ") << step.what << "\n";
    for (const Difference& d : step.changes) {
      session.out << "  ";
      PrintDifference(session.out, d);
      changes.push_back(DifferenceJson(d));
      changes.back()["write"] = step.what;
    }
  }
  for (const std::string& why : plan.skipped) session.out << "left alone: " << why << "\n";
  PortResult result{kDone,
                    {{"dry run", options.dryRun},
                     {"changes", changes},
                     {"skipped", plan.skipped},
                     {"written", ordered_json::array()},
                     {"not taken", plan.impossible}}};
  if (plan.steps.empty() && plan.impossible.empty()) session.out << "nothing to write\n";
  if (auto question = profile::OtherModelQuestion(file, read.profile);
      question && !plan.steps.empty() && !options.dryRun) {
    session.prompter.SetAnswerYes(options.yes);
    if (!session.prompter.AskYesNo(*question, "Restore", MessageIcon::Question)) {
      session.err << kName << "nothing written (--yes writes to another model)\n";
      result.code = kFailed;
      result.json["error"] = "the profile is from another model";
      return result;
    }
  }
  if (options.dryRun) {
    if (auto question = profile::OtherModelQuestion(file, read.profile))
      session.err << kName << "a restore will ask: " << *question << "\n";
    for (const std::string& why : plan.impossible) session.err << kName << why << "\n";
    result.code = plan.impossible.empty() ? kDone : kFailed;
    return result;
  }
  const profile::RestoreResult done = profile::RunRestore(session.port, session.clock, file, plan);
  for (const std::string& what : done.written) session.out << "written and read back: " << what << "\n";
  for (const std::string& what : done.notTaken) session.err << kName << "not set: " << what << "\n";
  if (plan.ChangesSerialLine())
    for (const char* notice : profile::kSerialNotices) session.err << notice << "\n";
  result.json["written"] = done.written;
  result.json["not taken"] = done.notTaken;
  if (!done.Succeeded()) {
    result.code = kFailed;
    result.json["error"] = "not set: " + Joined(done.notTaken);
  }
  return result;
}

}  // namespace

// Backs up, compares and restores a printer's settings through a profile file.
int RunProfile(const ProfileOptions& options, Streams streams) {
  if (options.action == ProfileAction::Backup) {
    // Several printers backed up into one file would overwrite each other.
    if (options.line.ports.size() != 1) {
      streams.err << kName << "backup reads one printer: give one --port\n";
      return kUsage;
    }
    return RunOnPorts(
        options.line, [&](PortSession& session) { return Backup(options, session); }, streams);
  }
  std::string error;
  const std::optional<Profile> file = profile::LoadProfileFile(options.file, error);
  if (!file) {
    streams.err << kName << error << "\n";
    return kUsage;
  }
  if (!file->unknown.empty())
    streams.err << kName << options.file
                << " holds fields this version does not know; they are kept in the file and not "
                   "applied: "
                << Joined(file->unknown) << "\n";
  return RunOnPorts(
      options.line,
      [&](PortSession& session) {
        return options.action == ProfileAction::Diff ? Diff(options, *file, session)
                                                     : Restore(options, *file, session);
      },
      streams);
}

}  // namespace qm::cli
