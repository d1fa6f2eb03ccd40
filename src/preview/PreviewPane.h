#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "preview/ScriptRenderer.h"
#include "ui_PreviewPane.h"

namespace qm {

class Prompter;

// Draws one rendered label at a zoom, inside the outline of the label.
class LabelView : public QWidget {
  Q_OBJECT

 public:
  explicit LabelView(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetLabel(const QImage& image);
  void SetZoom(double zoom);
  double Zoom() const { return zoom_; }
  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  double zoom_ = 1.0;
};

// The tester's preview: the script as the printer will print it, following
// every change a moment after it (rendered on a worker thread, so a long
// script never holds up typing), with the errors by line, zoom, the label
// count and PNG export. It draws the label the caret is in and its
// neighbours; another label is drawn when the operator turns to it.
class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  // How long the preview waits after a change before drawing, so a burst
  // of keystrokes costs one rendering.
  static constexpr int kSettleMs = 15;

  explicit PreviewPane(Prompter& prompter, QWidget* parent = nullptr);
  ~PreviewPane() override;

  // The script's bytes, as the tester sends them.
  void SetScript(const std::string& script);
  // How an editor's text (UTF-8) becomes the script's bytes.
  using TextToScript = std::function<std::string(std::string_view)>;
  void SetTextToScript(TextToScript convert) { convert_ = std::move(convert); }
  // The editor's text and its caret, in characters. Turned into bytes on the
  // pane's thread: a keystroke in a long script costs the editor nothing
  // more than a shared copy of its text.
  void SetScriptText(const QString& text, qsizetype caret);

  const preview::RenderResult& Result() const { return *result_; }
  // True while a change has not been drawn yet.
  bool Pending() const { return timer_.isActive() || busy_; }
  int ShownLabel() const { return ui.spinLabel->value() - 1; }
  // Labels a "P" prints; a label still being built at the end is shown but
  // not counted.
  int PrintedCount() const;
  double Zoom() const { return view_->Zoom(); }

 signals:
  // The preview shows the rendering of the latest script.
  void Rendered();
  // The operator picked an error: the script offset of the command at fault.
  void ErrorChosen(qsizetype offset);

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // What the next rendering draws: the editor's text, or bytes.
  struct Job {
    QString text;
    qsizetype caret = 0;
    std::shared_ptr<const std::string> bytes;
    size_t focus = 0;
  };
  void StartRender();
  void OnRendered(std::shared_ptr<preview::RenderResult> result,
                  std::shared_ptr<const std::string> bytes);
  void ShowLabel();
  // Whether the last rendering drew label `index` (it draws those near the
  // caret).
  bool Drawn(int index) const;
  void ApplyFit();
  void SetZoom(double zoom);
  void OnExport();

  Prompter& prompter_;
  Ui::PreviewPane ui;
  LabelView* view_;
  QTimer timer_;
  QThread thread_;
  QObject* worker_;  // lives on thread_; the renderer is used only there
  // Why the renderer module could not be loaded, when renderer_ is null
  // (declared first: the renderer's loading fills it in).
  std::string unloaded_;
  std::unique_ptr<preview::ScriptRenderer> renderer_;
  TextToScript convert_;
  Job job_;
  // The bytes last drawn, for drawing another of their labels.
  std::shared_ptr<const std::string> drawn_;
  bool busy_ = false;
  bool again_ = false;
  std::shared_ptr<preview::RenderResult> result_;
};

}  // namespace qm
