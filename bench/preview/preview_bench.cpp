// The label preview's two costs, on the label made by inserting once from
// every builder with its defaults (4 x 6 in: texts, a 1D barcode, MaxiCode,
// PDF417, QR, a bar):
//
//   preview_bench [rounds]      (default 201; run under xvfb-run -a or offscreen)
//
// 1. Rendering the label, against parsing its script alone and against
//    clearing a label's worth of dots and a 1-bit image of them (the floor of
//    any renderer). Bar: 1 ms.
// 2. A keystroke in the tester's script to the repainted preview, against the
//    same keystroke with the preview hidden.
// It measures and prints medians and ratios; it never passes or fails on time.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchSeams.h"
#include "BuilderLabel.h"
#include "Median.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "preview/LabelRenderer.h"
#include "preview/PreviewPane.h"
#include "tester/CommandTesterWindow.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

using qm::bench::Median;

template <typename F>
double Time(F&& f) {
  const auto start = Clock::now();
  f();
  return Ms(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  setenv("QUILLMARK_MODULE_DIR", QM_RENDERER_MODULE_DIR, 0);
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 201;
  const std::string_view label = qm::testing_support::kEveryBuilderLabel;

  // 1. Rendering.
  qm::preview::LabelRenderer renderer;
  std::vector<double> render, parse, clear;
  std::vector<uint8_t> dots(104 * 1219);  // one bit a dot, in lines of whole 32-bit words
  size_t errors = 0;
  for (int i = 0; i < rounds; ++i) {
    render.push_back(Time([&] { errors += renderer.Render(label).errors.size(); }));
    parse.push_back(Time([&] { errors += qm::preview::ParseScript(label).errors.size(); }));
    clear.push_back(Time([&] {
      std::memset(dots.data(), i & 1, dots.size());
      QImage image(812, 1219, QImage::Format_Mono);
      image.fill(i & 1);
    }));
  }
  if (errors != 0) std::fprintf(stderr, "the label had %zu errors\n", errors);
  std::printf(
      "render every-builder label: median %.3f ms (bar <= 1 ms: %s; parse alone %.3f ms, clear "
      "a label %.3f ms; render/clear %.1fx) over %d rounds\n",
      Median(render), Median(render) <= 1.0 ? "met" : "NOT MET", Median(parse), Median(clear),
      Median(render) / Median(clear), rounds);

  // 2. Keystroke to repainted preview.
  qm::bench::StderrPrompter prompter;
  qm::bench::NoServices services;
  qm::SystemClock clock;
  qm::PrinterPort port(qm::SystemDevices(), services, prompter, clock);
  qm::CommandTesterWindow tester({port, prompter, clock});
  auto* editor = tester.findChild<QPlainTextEdit*>("editScript");
  editor->setPlainText(QString::fromLatin1(label.data(), int(label.size())));
  tester.resize(1500, 760);
  tester.show();
  if (!QTest::qWaitForWindowExposed(&tester)) return 1;
  editor->setFocus();
  editor->moveCursor(QTextCursor::End);

  auto keystrokes = [&](bool previewing) {
    std::vector<double> times;
    auto* pane = tester.findChild<qm::PreviewPane*>("previewPane");
    for (int i = 0; i < std::min(rounds, 101); ++i) {
      // Alternately a digit and its deletion, so the script stays the same.
      const auto start = Clock::now();
      if (i % 2 == 0) {
        QTest::keyClick(editor, Qt::Key_1);
      } else {
        QTest::keyClick(editor, Qt::Key_Backspace);
      }
      if (previewing) {
        while (pane->Pending()) application.processEvents(QEventLoop::WaitForMoreEvents);
      }
      application.processEvents();  // the repaint
      times.push_back(Ms(Clock::now() - start).count());
    }
    return Median(times);
  };
  const double hidden = keystrokes(false);
  tester.findChild<QPushButton*>("buttonPreview")->click();
  auto* pane = tester.findChild<qm::PreviewPane*>("previewPane");
  while (pane->Pending()) application.processEvents(QEventLoop::WaitForMoreEvents);
  const double shown = keystrokes(true);
  std::printf(
      "keystroke to repainted preview: median %.2f ms (preview hidden %.2f ms; of it %d ms "
      "is the settling wait)\n",
      shown, hidden, qm::PreviewPane::kSettleMs);
  return 0;
}
