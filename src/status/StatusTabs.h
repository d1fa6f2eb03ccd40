#pragma once

#include <QTabWidget>
#include <array>

#include "ui/AppContext.h"

namespace qm {

class StatusPage;

// The status window's tab control. It owns the four pages, one per status
// command; the page of the selected tab is shown, the others keep their
// indicators while hidden.
class StatusTabs : public QTabWidget {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 4;

  explicit StatusTabs(AppContext context, QWidget* parent = nullptr);

  StatusPage* Page(int index) const { return pages_[size_t(index)]; }

 private:
  std::array<StatusPage*, kPageCount> pages_{};
};

}  // namespace qm
