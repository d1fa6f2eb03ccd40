#include "profile/ProfileWindows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <algorithm>

#include "base/Prompter.h"
#include "profile/ProfileExchange.h"
#include "settings/UserSettingManager.h"
#include "ui/BusyScope.h"
#include "ui/ModalRunner.h"

namespace qm {
namespace {

const FileDialogOptions kProfileFiles{"printer.json", "json", "Printer Profile(*.json)|*.json||",
                                      ""};

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "\n" + item;
  return text;
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The profile the operator picks, or nothing (cancelled, or refused with a
// message). Fields it does not know are named once.
std::optional<profile::Profile> PickProfile(Prompter& prompter, const char* title,
                                            std::string& path) {
  FileDialogOptions options = kProfileFiles;
  options.title = title;
  auto picked = prompter.OpenFileName(options);
  if (!picked) return std::nullopt;
  path = *picked;
  std::string error;
  auto file = profile::LoadProfileFile(path, error);
  if (!file) {
    prompter.Refusal(error);
    return std::nullopt;
  }
  if (!file->unknown.empty())
    prompter.Information("The profile holds fields this version does not know; they are kept in "
                         "the file and not applied:" +
                         Lines(file->unknown));
  return file;
}

void OnBackUp(AppContext context) {
  FileDialogOptions options = kProfileFiles;
  options.title = "Back up";
  const auto path = context.prompter.SaveFileName(options);
  if (!path) return;
  profile::BackupResult read;
  {
    BusyScope busy;
    read = profile::ReadProfile(context.port, context.clock);
  }
  if (!read.Complete()) {
    // Nothing is written unless the operator wants the gaps on record.
    if (!context.prompter.AskYesNo("No reply to:" + Lines(read.failed) +
                                       "\n\nWrite the profile with these marked missing?",
                                   "Back up", MessageIcon::Question)) {
      context.prompter.Failure("Back up is failed: nothing written");
      return;
    }
    read.profile.missing = read.failed;
  }
  std::string error;
  if (!profile::SaveProfileFile(*path, read.profile, error)) {
    context.prompter.Failure("Back up is failed: " + error);
    return;
  }
  context.prompter.Information(read.Complete() ? "Back up is successful"
                                               : "Back up is written with missing values");
}

void OnCompare(AppContext context, QWidget* parent) {
  std::string path;
  const auto file = PickProfile(context.prompter, "Compare", path);
  if (!file) return;
  profile::BackupResult read;
  {
    BusyScope busy;
    read = profile::ReadProfile(context.port, context.clock);
  }
  if (!read.Complete())
    context.prompter.Failure("No reply to:" + Lines(read.failed) +
                             "\n\nThese are shown as not read.");
  ProfileCompareView view(path, profile::Compare(*file, read.profile, true), parent);
  RunModal(view);
}

void OnRestore(AppContext context) {
  std::string path;
  const auto file = PickProfile(context.prompter, "Restore", path);
  if (!file) return;
  Prompter& prompter = context.prompter;
  profile::BackupResult read;
  {
    BusyScope busy;
    read = profile::ReadProfile(context.port, context.clock);
  }
  if (auto question = profile::OtherModelQuestion(*file, read.profile);
      question && !prompter.AskYesNo(*question, "Restore", MessageIcon::Question))
    return;
  profile::RestorePlan plan = profile::PlanRestore(*file, read.profile, read.failed, false);
  // A serial number copied to a second printer is a mistake: ask.
  const bool identityDiffers = std::any_of(plan.skipped.begin(), plan.skipped.end(),
                                           [](const std::string& s) {
                                             return s.find("identity strings") != std::string::npos;
                                           });
  if (identityDiffers &&
      prompter.AskYesNo("The printer's identity strings differ from the profile's:" +
                            Lines(plan.skipped) +
                            "\n\nWrite the profile's hardware version, serial number and printer "
                            "ID too?",
                        "Restore", MessageIcon::Question))
    plan = profile::PlanRestore(*file, read.profile, read.failed, true);
  if (plan.steps.empty() && plan.impossible.empty()) {
    prompter.Information("The printer holds the profile's settings; nothing to write");
    return;
  }
  std::vector<std::string> changes;
  for (const profile::RestoreStep& step : plan.steps)
    for (const profile::Difference& d : step.changes)
      changes.push_back(d.name + ": " + d.printer + " -> " + d.file);
  for (const std::string& why : plan.impossible) changes.push_back("cannot: " + why);
  if (!prompter.AskYesNo("Restore writes:" + Lines(changes) + "\n\nWrite these settings?",
                         "Restore", MessageIcon::Question))
    return;
  profile::RestoreResult done;
  {
    BusyScope busy;
    done = profile::RunRestore(context.port, context.clock, *file, plan);
  }
  if (done.Succeeded())
    prompter.Information("Restore is successful");
  else
    prompter.Failure("Restore is failed; these settings did not take:" + Lines(done.notTaken));
  if (plan.ChangesSerialLine())
    for (const char* notice : profile::kSerialNotices) prompter.Information(notice);
}

}  // namespace

ProfileCompareView::ProfileCompareView(const std::string& fileName,
                                       std::vector<profile::Difference> all, QWidget* parent)
    : QDialog(parent), all_(std::move(all)) {
  ui.setupUi(this);
  const auto differing =
      std::count_if(all_.begin(), all_.end(), [](const profile::Difference& d) { return d.differs; });
  ui.labelSummary->setText(
      differing == 0 ? QStringLiteral("The printer holds every setting of %1.").arg(Text(fileName))
                     : QStringLiteral("%1 of the printer's settings differ from %2.")
                           .arg(differing)
                           .arg(Text(fileName)));
  ui.tableSettings->verticalHeader()->hide();
  ui.tableSettings->horizontalHeader()->setStretchLastSection(true);
  connect(ui.checkShowAll, &QCheckBox::toggled, this, &ProfileCompareView::ShowRows);
  connect(ui.buttonClose, &QPushButton::clicked, this, &QDialog::accept);
  ShowRows();
}

void ProfileCompareView::ShowRows() {
  const bool everything = ui.checkShowAll->isChecked();
  ui.tableSettings->setRowCount(0);
  for (const profile::Difference& d : all_) {
    if (!d.differs && !everything) continue;
    const int row = ui.tableSettings->rowCount();
    ui.tableSettings->insertRow(row);
    const std::string cells[] = {d.group, d.name, d.file, d.printer};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(Text(cells[column]));
      // A differing row reads as one, also to a screen reader.
      if (d.differs) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
      }
      item->setData(Qt::AccessibleTextRole,
                    Text(cells[1] + ": profile " + d.file + ", printer " + d.printer +
                         (d.differs ? ", differs" : "")));
      ui.tableSettings->setItem(row, column, item);
    }
  }
  ui.tableSettings->resizeColumnsToContents();
}

void HandProfileButtons(UserSettingManager& window, AppContext context) {
  QHBoxLayout* row = window.ButtonRow();
  // Beside Close, before it.
  const int at = row->indexOf(window.CloseButton());
  const std::pair<const char*, const char*> buttons[] = {
      {"buttonBackUp", "Back up…"}, {"buttonCompare", "Compare…"}, {"buttonRestore", "Restore…"}};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(buttons[i].second), &window);
    button->setObjectName(QString::fromLatin1(buttons[i].first));
    row->insertWidget(at + i, button);
  }
  QObject::connect(window.findChild<QPushButton*>("buttonBackUp"), &QPushButton::clicked, &window,
                   [context] { OnBackUp(context); });
  QObject::connect(window.findChild<QPushButton*>("buttonCompare"), &QPushButton::clicked,
                   &window, [context, &window] { OnCompare(context, &window); });
  QObject::connect(window.findChild<QPushButton*>("buttonRestore"), &QPushButton::clicked,
                   &window, [context] { OnRestore(context); });
}

}  // namespace qm
