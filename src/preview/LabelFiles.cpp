#include "preview/LabelFiles.h"

#include <cstdio>

namespace qm::preview {

std::string LabelFileName(int number, const RenderedLabel& label) {
  const long long copies = static_cast<long long>(label.sets) * label.copies;
  char name[64];
  std::snprintf(name, sizeof name, "label-%04d-%lld-cop%s.png", number, copies,
                copies == 1 ? "y" : "ies");
  return name;
}

bool WriteLabelPng(const RenderedLabel& label, const std::string& path) {
  return label.image.save(QString::fromStdString(path), "PNG");
}

}  // namespace qm::preview
