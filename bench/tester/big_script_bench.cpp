// A technician's large script in the command tester: a 4 MB file of 100,000
// lines loaded with "Load", then keystrokes typed in the middle of it with
// the preview pane hidden and shown:
//
//   big_script_bench [keystrokes]      (default 21)
//
// Prints the load time (the click on "Load" until the editor takes keys),
// and the medians of keystroke to character shown and, with the preview
// shown, keystroke to preview repainted. It measures and prints; it never
// passes or fails on a time.
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSeams.h"
#include "Median.h"
#include "link/PrinterPort.h"
#include "preview/PreviewPane.h"
#include "tester/CommandTesterWindow.h"
#include "base/Clock.h"

namespace {

using qm::bench::Median;
using qm::bench::NoServices;
using qm::bench::StderrPrompter;

// Answers the Load dialog with one file.
class LoadingPrompter : public StderrPrompter {
 public:
  std::optional<std::string> OpenFileName(const qm::FileDialogOptions&) override { return file; }
  std::string file;
};

// 100,000 lines, about 4 MB: labels of twenty text lines and a print, as a
// batch of address labels would be.
std::string BigScript() {
  std::string script;
  int line = 0;
  for (int label = 0; line < 100000; ++label) {
    script += "SW812\r\nSL1219,15,G\r\n";
    line += 2;
    for (int row = 0; row < 20 && line < 99999; ++row, ++line) {
      char text[96];
      std::snprintf(text, sizeof text, "T20,%d,3,1,1,0,0,N,N,'Label %05d row %02d AB'\r\n",
                    20 + row * 50, label, row);
      script += text;
    }
    script += "P1\r\n";
    ++line;
  }
  return script;
}

double Ms(const QElapsedTimer& timer) {
  return double(timer.nsecsElapsed()) / 1e6;
}

// Types one character at `position` and returns the time until it is shown
// (the editor has taken it and the window has painted).
double Keystroke(QPlainTextEdit* editor, int position) {
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(position);
  editor->setTextCursor(cursor);
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  QTest::keyClick(editor, Qt::Key_X);
  editor->viewport()->repaint();
  return Ms(timer);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QUILLMARK_MODULE_DIR", QM_RENDERER_MODULE_DIR, 0);
  QApplication application(argc, argv);
  const int keystrokes = argc > 1 ? std::max(1, atoi(argv[1])) : 21;

  QTemporaryDir folder;
  const std::string script = BigScript();
  const std::string path = folder.filePath("big.txt").toStdString();
  std::ofstream(path, std::ios::binary) << script;
  int lines = 0;
  for (char c : script) lines += c == '\n';
  std::printf("script: %zu bytes, %d lines\n", script.size(), lines);

  LoadingPrompter prompter;
  prompter.file = path;
  NoServices services;
  qm::SystemClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  qm::CommandTesterWindow window({port, prompter, clock});
  window.resize(1200, 680);
  window.show();
  QApplication::processEvents();
  auto* editor = window.findChild<QPlainTextEdit*>("editScript");

  QElapsedTimer load;
  load.start();
  window.findChild<QPushButton*>("buttonLoad")->click();
  editor->viewport()->repaint();
  const double loadMs = Ms(load);
  std::printf("load: %.0f ms to a usable editor\n", loadMs);

  // In the middle of the script, a line at a time further down.
  const int middle = editor->document()->characterCount() / 2;
  std::vector<double> hidden;
  for (int i = 0; i < keystrokes; ++i) hidden.push_back(Keystroke(editor, middle + i * 60));

  window.findChild<QPushButton*>("buttonPreview")->click();
  auto* pane = window.findChild<qm::PreviewPane*>("previewPane");
  QEventLoop wait;
  QObject::connect(pane, &qm::PreviewPane::Rendered, &wait, &QEventLoop::quit);
  auto settle = [&] {
    QTimer::singleShot(30000, &wait, &QEventLoop::quit);
    while (pane->Pending()) wait.exec();
  };
  QElapsedTimer first;
  first.start();
  settle();
  std::printf("preview: first drawing %.0f ms\n", Ms(first));

  std::vector<double> shown;
  std::vector<double> repainted;
  for (int i = 0; i < keystrokes; ++i) {
    QElapsedTimer timer;
    timer.start();
    shown.push_back(Keystroke(editor, middle + (keystrokes + i) * 60));
    settle();
    pane->repaint();
    repainted.push_back(Ms(timer));
  }
  std::printf("keystroke to shown, preview hidden: median %.1f ms (max %.1f)\n", Median(hidden),
              *std::max_element(hidden.begin(), hidden.end()));
  std::printf("keystroke to shown, preview shown:  median %.1f ms (max %.1f)\n", Median(shown),
              *std::max_element(shown.begin(), shown.end()));
  std::printf("keystroke to preview repainted:     median %.1f ms (max %.1f)\n", Median(repainted),
              *std::max_element(repainted.begin(), repainted.end()));
  return 0;
}
