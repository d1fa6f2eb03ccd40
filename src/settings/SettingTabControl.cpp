#include "settings/SettingTabControl.h"

#include "settings/SettingPages.h"

namespace qm {

SettingTabControl::SettingTabControl(AppContext context, QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("tabSettings"));
  pages = {new SerialSettingPage(context, this), new LanguageSettingPage(context, this),
           new PrintPageSettingPage(context, this), new HardwareInfoPage(context, this),
           new PrinterInfoPage(context, this)};
  // The doubled ampersand shows as one; a single one would underline a mnemonic.
  const char* titles[kPageCount] = {"Serial", "Language", "Print&&Page", "Hardware Info",
                                    "Printer Info"};
  for (int i = 0; i < pageCount; ++i) addTab(pages[size_t(i)], QString::fromLatin1(titles[i]));
  setCurrentIndex(0);
  connect(this, &QTabWidget::currentChanged, this, &SettingTabControl::ShowPage);
}

void SettingTabControl::ShowPage(int index) {
  // A press on the tab already shown changes nothing.
  if (index < 0 || index == currentPage) return;
  currentPage = index;
  pages[size_t(index)]->setFocus();
}

}  // namespace qm
