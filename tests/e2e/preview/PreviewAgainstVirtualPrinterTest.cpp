// The label the tester's preview shows is the label the virtual printer
// prints when the same script is sent with Multi Send over a pseudo-terminal.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "BuilderLabel.h"
#include "Recorders.h"
#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "preview/PreviewPane.h"
#include "sim/PrintFolder.h"
#include "sim/PtyFrontEnd.h"
#include "tester/CommandTesterWindow.h"

namespace qm::test {
namespace {

TEST(PreviewAgainstVirtualPrinter, MultiSendPrintsWhatThePreviewShows) {
  QTemporaryDir paper;
  sim::PrintFolder folder(paper.path().toStdString());
  std::vector<std::string> files;
  sim::PtyFrontEnd printer;
  std::string error;
  ASSERT_TRUE(printer.Open(error)) << error;
  printer.WithPrinter([&](sim::VirtualPrinter& p) {
    p.State().label.onPrinted = [&](const sim::PrintedLabel& label) {
      files.push_back(folder.Print(label));
    };
  });
  printer.Start();

  FakeLinkServices services;
  RecordingPrompter prompter;
  SystemClock clock;
  PrinterPort port{SystemDevices(), services, prompter, clock};
  setenv("QUILLMARK_COM1", printer.SlavePath().c_str(), 1);
  port.SetPortName("COM1:");
  port.SetSerialParameters(115200, 0, 8, 0);
  ASSERT_EQ(port.Open(), 1);
  unsetenv("QUILLMARK_COM1");

  CommandTesterWindow window({port, prompter, clock});
  window.show();
  window.findChild<QPlainTextEdit*>("editScript")
      ->setPlainText(QString::fromLatin1(testing_support::kEveryBuilderLabel.data(),
                                         int(testing_support::kEveryBuilderLabel.size())));
  window.findChild<QPushButton*>("buttonPreview")->click();
  auto* pane = window.findChild<PreviewPane*>("previewPane");
  for (int i = 0; i < 4000 && pane->Pending(); ++i) QTest::qWait(5);
  ASSERT_EQ(pane->Result().labels.size(), 1u);
  EXPECT_TRUE(pane->Result().errors.empty());

  window.findChild<QSpinBox*>("spinRepeat")->setValue(2);
  window.findChild<QPushButton*>("buttonMultiSend")->click();
  for (int i = 0; i < 3000; ++i) {
    if (printer.WithPrinter(
            [](sim::VirtualPrinter& p) { return p.State().label.printed.size(); }) == 2) {
      break;
    }
    QTest::qWait(10);
  }
  printer.Stop();
  port.Close();

  const sim::LabelState label =
      printer.WithPrinter([](sim::VirtualPrinter& p) { return p.State().label; });
  EXPECT_TRUE(label.errors.empty());
  ASSERT_EQ(files.size(), 2u);
  const QImage shown = pane->Result().labels[0].image;
  for (const std::string& file : files) {
    const QImage printed(QString::fromStdString(file));
    EXPECT_EQ(printed, shown.convertToFormat(printed.format())) << file;
  }
}

}  // namespace
}  // namespace qm::test
