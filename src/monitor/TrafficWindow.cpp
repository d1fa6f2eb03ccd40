#include "monitor/TrafficWindow.h"

#include <QHeaderView>
#include <fstream>

#include "link/PrinterPort.h"
#include "ui/BusyScope.h"
#include "base/Prompter.h"

namespace qm {

TrafficWindow::TrafficWindow(AppContext context, QWidget* parent)
    : QDialog(parent), context_(context) {
  ui.setupUi(this);
  setWindowFlag(Qt::WindowMinMaxButtonsHint);
  filter_.setSourceModel(&model_);
  ui.treeTraffic->setModel(&filter_);
  ui.treeTraffic->setColumnHidden(TrafficModel::Hex, true);
  auto* header = ui.treeTraffic->header();
  header->setStretchLastSection(true);
  const int widths[] = {90, 80, 70, 280, 260, 340};
  for (int column = 0; column < TrafficModel::Details; ++column)
    header->resizeSection(column, widths[column]);

  connect(ui.buttonPause, &QPushButton::toggled, this, &TrafficWindow::OnPause);
  connect(ui.buttonClear, &QPushButton::clicked, this, &TrafficWindow::OnClear);
  connect(ui.comboDirection, &QComboBox::currentIndexChanged, this,
          [this](int choice) { filter_.SetDirection(choice); });
  connect(ui.checkHex, &QCheckBox::toggled, this,
          [this](bool on) { ui.treeTraffic->setColumnHidden(TrafficModel::Hex, !on); });
  connect(ui.buttonFindNext, &QPushButton::clicked, this, &TrafficWindow::OnFindNext);
  connect(ui.editFind, &QLineEdit::returnPressed, this, &TrafficWindow::OnFindNext);
  connect(ui.buttonSave, &QPushButton::clicked, this, &TrafficWindow::OnSave);
  connect(&timer_, &QTimer::timeout, this, &TrafficWindow::OnTimer);

  // The monitor never uses the port, so an exchange under way does not lock it.
  BusyScope::KeepLive(this);
  context_.port.SetTrafficTap(&tap_);
  timer_.start(kTakeEveryMs);
  ShowSummary();
}

TrafficWindow::~TrafficWindow() {
  if (context_.port.GetTrafficTap() == &tap_) context_.port.SetTrafficTap(nullptr);
}

void TrafficWindow::OnTimer() {
  if (BusyScope::Active() && ++busyTicks_ < kBusyTakeEveryMs / kTakeEveryMs) return;
  busyTicks_ = 0;
  TakeRecords();
}

void TrafficWindow::TakeRecords() {
  // "Save…" opens a file dialog, which must not run inside an exchange.
  ui.buttonSave->setEnabled(!BusyScope::Active());
  if (ui.buttonPause->isChecked() || tap_.Empty()) return;
  // The records are read where the port left them; the rows keep what they show.
  tap_.Take([this](std::span<const TrafficRecord> records) {
    for (const auto& record : records) {
      if (record.kind == TrafficRecord::Kind::Write) toPrinter_ += record.done;
      if (record.kind == TrafficRecord::Kind::Read) fromPrinter_ += record.done;
      if (record.kind == TrafficRecord::Kind::Dropped) {
        toPrinter_ += record.asked;
        fromPrinter_ += record.done;
      }
    }
    model_.Add(records);
  });
  if (ui.checkFollow->isChecked()) ui.treeTraffic->scrollToBottom();
  ShowSummary();
}

void TrafficWindow::ShowSummary() {
  auto number = [](uint64_t n) { return QString::fromStdString(GroupedNumber(n)); };
  QString text = QStringLiteral("%1 rows, %2 bytes to the printer, %3 bytes from it")
                     .arg(number(model_.Rows().Size()), number(toPrinter_), number(fromPrinter_));
  if (model_.Rows().DroppedRows())
    text += QStringLiteral("; %1 earlier rows no longer kept").arg(number(model_.Rows().DroppedRows()));
  if (ui.buttonPause->isChecked()) text += QStringLiteral(" (paused)");
  if (!findResult_.isEmpty()) text += QStringLiteral(" · ") + findResult_;
  ui.labelSummary->setText(text);
}

void TrafficWindow::OnPause(bool paused) {
  // While paused the port's records wait in the tap; what does not fit is
  // summarised in one row when the window goes on.
  if (!paused) TakeRecords();
  ShowSummary();
}

void TrafficWindow::OnClear() {
  model_.Clear();
  toPrinter_ = fromPrinter_ = 0;
  findResult_.clear();
  ShowSummary();
}

void TrafficWindow::OnFindNext() {
  const std::string wanted = ui.editFind->text().toLower().toStdString();
  if (wanted.empty()) return;
  auto matches = [&](const QModelIndex& proxyIndex) {
    const RowText text = model_.TextAt(filter_.mapToSource(proxyIndex));
    return QString::fromStdString(RowLine(text, true)).toLower().toStdString().find(wanted) !=
           std::string::npos;
  };
  // From the row after the current one, through each row and its pieces,
  // round to where it began.
  std::vector<QModelIndex> order;
  const int rows = filter_.rowCount();
  QModelIndex current = ui.treeTraffic->currentIndex();
  int startRow = 0;
  int startPiece = -1;
  if (current.isValid()) {
    QModelIndex top = current.parent().isValid() ? current.parent() : current;
    startRow = top.row();
    startPiece = current.parent().isValid() ? current.row() : -1;
  }
  for (int step = 0; step <= rows; ++step) {
    const int row = (startRow + step) % std::max(rows, 1);
    const QModelIndex top = filter_.index(row, 0);
    if (!top.isValid()) break;
    const int pieces = filter_.rowCount(top);
    const int firstPiece = step == 0 ? startPiece + 1 : -1;
    for (int piece = firstPiece; piece < pieces; ++piece) {
      if (step == 0 && piece == -1) continue;  // the current row itself
      const QModelIndex at = piece < 0 ? top : filter_.index(piece, 0, top);
      if (matches(at)) {
        if (piece >= 0) ui.treeTraffic->expand(top);
        ui.checkFollow->setChecked(false);
        ui.treeTraffic->setCurrentIndex(at);
        ui.treeTraffic->scrollTo(at);
        findResult_.clear();
        ShowSummary();
        return;
      }
    }
  }
  findResult_ = QStringLiteral("\"%1\" not found").arg(ui.editFind->text());
  ShowSummary();
}

void TrafficWindow::OnSave() {
  if (BusyScope::Active()) return;
  auto path = context_.prompter.SaveFileName(
      {"traffic.txt", "txt", "Text Files(*.txt)|*.txt|All Files(*.*)|*.*||", "Save Traffic"});
  if (!path) return;
  TakeRecords();
  std::ofstream out(*path, std::ios::binary);
  model_.Rows().Write(out, ui.checkHex->isChecked());
  out.close();
  if (!out) context_.prompter.Refusal("Cannot write the file\n" + *path);
}

}  // namespace qm
