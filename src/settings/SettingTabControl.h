#pragma once

#include <QTabWidget>
#include <array>

#include "ui/AppContext.h"

namespace qm {

// The User Setting Manager's tab strip. It owns the five pages, shows the
// page of the tab pressed and keeps the others, values and all, while hidden.
class SettingTabControl : public QTabWidget {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 5;

  explicit SettingTabControl(AppContext context, QWidget* parent = nullptr);

  QWidget* Page(int index) const { return pages[size_t(index)]; }
  int CurrentPage() const { return currentPage; }

 private:
  void ShowPage(int index);

  std::array<QWidget*, kPageCount> pages{};
  int currentPage = 0;
  int pageCount = kPageCount;
};

}  // namespace qm
