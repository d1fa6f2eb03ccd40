// Removes its own executable, as a rebuild under a running program does,
// then prints the name message boxes would carry as their caption.
#include <unistd.h>

#include <cstdio>

#include "base/Prompter.h"

int main(int, char** argv) {
  unlink(argv[0]);
  std::printf("%s\n", qm::Prompter::ApplicationName().c_str());
  return 0;
}
