#include "preview/PreviewPane.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "base/Prompter.h"
#include "preview/LabelFiles.h"

namespace qm {

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 8.0;
// Room around the label for its outline.
constexpr int kBorder = 6;

}  // namespace

void LabelView::SetLabel(const QImage& image) {
  image_ = image;
  SetZoom(zoom_);
}

void LabelView::SetZoom(double zoom) {
  zoom_ = zoom;
  const QSize size = image_.isNull() ? QSize(0, 0) : image_.size() * zoom_;
  resize(size + QSize(2 * kBorder, 2 * kBorder));
  update();
}

void LabelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Mid));
  if (image_.isNull()) return;
  const QRect label(QPoint(kBorder, kBorder), image_.size() * zoom_);
  // The dots are the point: no smoothing, at any zoom.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1.0);
  painter.drawImage(label, image_);
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  painter.drawRect(label.adjusted(-1, -1, 0, 0));
}

PreviewPane::PreviewPane(Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      prompter_(prompter),
      view_(new LabelView),
      worker_(new QObject),
      renderer_(preview::LoadScriptRenderer(&unloaded_)),
      result_(std::make_shared<preview::RenderResult>()) {
  ui.setupUi(this);
  ui.scrollLabel->installEventFilter(this);
  ui.scrollLabel->setWidget(view_);
  ui.buttonFit->setAccessibleName("Fit");
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();

  timer_.setSingleShot(true);
  timer_.setInterval(kSettleMs);
  connect(&timer_, &QTimer::timeout, this, &PreviewPane::StartRender);
  connect(ui.buttonFit, &QPushButton::toggled, this, [this](bool on) {
    if (on) ApplyFit();
  });
  connect(ui.buttonActualSize, &QPushButton::clicked, this, [this] { SetZoom(1.0); });
  connect(ui.buttonZoomIn, &QPushButton::clicked, this,
          [this] { SetZoom(view_->Zoom() * kZoomStep); });
  connect(ui.buttonZoomOut, &QPushButton::clicked, this,
          [this] { SetZoom(view_->Zoom() / kZoomStep); });
  connect(ui.spinLabel, &QSpinBox::valueChanged, this, &PreviewPane::ShowLabel);
  connect(ui.buttonExport, &QPushButton::clicked, this, &PreviewPane::OnExport);
  connect(ui.listErrors, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    emit ErrorChosen(item->data(Qt::UserRole).toLongLong());
  });
  ShowLabel();
}

PreviewPane::~PreviewPane() {
  // A rendering in flight finishes before the renderer goes.
  thread_.quit();
  thread_.wait();
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
  // Fit keeps fitting whenever the label's room changes: the window resized,
  // or the count beside the zoom buttons taking a second line.
  if (watched == ui.scrollLabel && event->type() == QEvent::Resize && ui.buttonFit->isChecked())
    ApplyFit();
  return QWidget::eventFilter(watched, event);
}

void PreviewPane::SetScript(const std::string& script) {
  job_ = {{}, 0, std::make_shared<const std::string>(script), script.size()};
  timer_.start();
}

void PreviewPane::SetScriptText(const QString& text, qsizetype caret) {
  job_ = {text, caret, nullptr, 0};
  timer_.start();
}

void PreviewPane::StartRender() {
  if (busy_) {
    // One rendering at a time; the newest script is drawn when it ends.
    again_ = true;
    return;
  }
  if (!renderer_) {
    auto result = std::make_shared<preview::RenderResult>();
    result->errors.push_back({0, "Preview: the label renderer cannot be loaded: " + unloaded_, 0});
    OnRendered(result, job_.bytes);
    return;
  }
  busy_ = true;
  QMetaObject::invokeMethod(
      worker_,
      [this, job = job_, convert = convert_, renderer = renderer_.get()] {
        std::shared_ptr<const std::string> bytes = job.bytes;
        size_t focus = job.focus;
        if (!bytes) {
          // Bytes before the caret and after it, converted apart, are the
          // whole script's bytes: the caret never splits a character.
          const std::string before = convert(job.text.left(job.caret).toStdString());
          focus = before.size();
          bytes = std::make_shared<const std::string>(
              before + convert(job.text.mid(job.caret).toStdString()));
        }
        auto result =
            std::make_shared<preview::RenderResult>(renderer->RenderScript(*bytes, focus));
        QMetaObject::invokeMethod(
            this, [this, result, bytes] { OnRendered(result, bytes); }, Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void PreviewPane::OnRendered(std::shared_ptr<preview::RenderResult> result,
                             std::shared_ptr<const std::string> bytes) {
  busy_ = false;
  if (again_) {
    again_ = false;
    StartRender();
    return;
  }
  result_ = std::move(result);
  drawn_ = std::move(bytes);
  // The script's errors by line, and where a label no "P" prints ends.
  std::vector<preview::ScriptError> notes = result_->errors;
  const auto& labels = result_->labels;
  if (!labels.empty() && !labels.back().printed) {
    const preview::RenderedLabel& draft = labels.back();
    const auto after = std::upper_bound(
        notes.begin(), notes.end(), draft.line,
        [](int line, const preview::ScriptError& error) { return line < error.line; });
    notes.insert(after, {draft.line, preview::kNotPrintedNote, draft.offset});
  }
  ui.listErrors->clear();
  for (const preview::ScriptError& error : notes) {
    auto* item = new QListWidgetItem(
        QString("Line %1: %2").arg(error.line).arg(QString::fromStdString(error.message)));
    item->setData(Qt::UserRole, qlonglong(error.offset));
    ui.listErrors->addItem(item);
  }
  const int count = static_cast<int>(labels.size());
  const QSignalBlocker block(ui.spinLabel);
  ui.spinLabel->setMaximum(std::max(count, 1));
  // The operator's choice of label stands while it is drawn; otherwise the
  // label the work is in is shown.
  if (count > 0 && !Drawn(ShownLabel())) ui.spinLabel->setValue(int(result_->focusLabel) + 1);
  ShowLabel();
  if (ui.buttonFit->isChecked()) ApplyFit();
  emit Rendered();
}

int PreviewPane::PrintedCount() const {
  const auto& labels = result_->labels;
  return static_cast<int>(
      std::count_if(labels.begin(), labels.end(), [](const auto& label) { return label.printed; }));
}

void PreviewPane::ShowLabel() {
  const auto& labels = result_->labels;
  const int index = ShownLabel();
  if (labels.empty()) {
    view_->SetLabel({});
    ui.labelCount->setText("no label");
    return;
  }
  // The label still being built stays in view after the printed ones, but
  // only printed labels are counted, as they are exported.
  const preview::RenderedLabel& label = labels[static_cast<size_t>(index)];
  if (!Drawn(index) && drawn_) {
    // Far from where the script was last changed: drawn now, on request.
    job_ = {{}, 0, drawn_, label.offset};
    timer_.start();
  }
  view_->SetLabel(label.image);
  const QString size = QString("%1 x %2 dots").arg(label.image.width()).arg(label.image.height());
  if (!label.printed) {
    ui.labelCount->setText("not printed (no P): " + size);
    return;
  }
  const long long copies = static_cast<long long>(label.sets) * label.copies;
  ui.labelCount->setText(QString("of %1: %2, %3 cop%4")
                             .arg(PrintedCount())
                             .arg(size)
                             .arg(copies)
                             .arg(copies == 1 ? "y" : "ies"));
}

bool PreviewPane::Drawn(int index) const {
  const auto focus = static_cast<int>(result_->focusLabel);
  return std::abs(index - focus) <= static_cast<int>(preview::ScriptRenderer::kFocusAround);
}

void PreviewPane::ApplyFit() {
  const QImage& image = view_->Image();
  if (image.isNull()) return;
  // As if no scroll bar were shown: a zoomed-in label has them, its fit will not.
  const QSize room = ui.scrollLabel->maximumViewportSize() - QSize(2 * kBorder, 2 * kBorder);
  const double zoom =
      std::min(double(room.width()) / image.width(), double(room.height()) / image.height());
  view_->SetZoom(std::clamp(zoom, kMinZoom, kMaxZoom));
}

void PreviewPane::SetZoom(double zoom) {
  const QSignalBlocker block(ui.buttonFit);
  ui.buttonFit->setChecked(false);
  view_->SetZoom(std::clamp(zoom, kMinZoom, kMaxZoom));
}

void PreviewPane::OnExport() {
  // Every label, not only those drawn near the caret.
  const std::unique_ptr<preview::ScriptRenderer> renderer =
      drawn_ ? preview::LoadScriptRenderer(nullptr) : nullptr;
  const preview::RenderResult all =
      renderer ? renderer->RenderScript(*drawn_, std::nullopt) : *result_;
  std::vector<const preview::RenderedLabel*> printed;
  for (const preview::RenderedLabel& label : all.labels)
    if (label.printed) printed.push_back(&label);
  if (printed.empty()) {
    prompter_.Refusal("There is no printed label to export.");
    return;
  }
  const std::optional<std::string> file =
      prompter_.SaveFileName({"label.png", "png", "PNG images(*.png)|*.png||", {}});
  if (!file) return;
  // One label goes to the chosen name; several get their numbers and copy
  // counts after it, as the virtual printer names them.
  std::string base = *file;
  if (base.size() > 4 && base.ends_with(".png")) base.resize(base.size() - 4);
  for (size_t i = 0; i < printed.size(); ++i) {
    const std::string path =
        printed.size() == 1 ? *file : base + "-" + preview::LabelFileName(int(i) + 1, *printed[i]);
    if (!preview::WriteLabelPng(*printed[i], path)) {
      prompter_.Refusal("Cannot write the label to \"" + path + "\".");
      return;
    }
  }
}

}  // namespace qm
