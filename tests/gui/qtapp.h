#pragma once
// One QApplication for the whole test program, on Qt's off-screen platform
// so that no display is needed.

#include <QApplication>

#include <cstdlib>

namespace guitest {

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *instance;
}

}  // namespace guitest
