#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <string>

#include "PortRig.h"

namespace qm::test {

using WindowRig = PortRig;

template <typename T>
T* Child(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << "no control named " << name;
  return child;
}

}  // namespace qm::test
