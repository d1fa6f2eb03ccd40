#include "status/StatusTabs.h"

#include "status/StatusPages.h"

namespace qm {

StatusTabs::StatusTabs(AppContext context, QWidget* parent) : QTabWidget(parent) {
  setObjectName(QStringLiteral("tabStatus"));
  pages_ = {new TwoByteStatusPage(context, this), new OneByteStatusPage(context, this),
            new ErrorCodePage(context, this), new CpsStatusPage(context, this)};
  const char* titles[kPageCount] = {"^cp Command", "^cu Command", "^ee Command", "CPS Command"};
  for (int i = 0; i < kPageCount; ++i) addTab(pages_[size_t(i)], QString::fromLatin1(titles[i]));
  setCurrentIndex(0);
}

}  // namespace qm
