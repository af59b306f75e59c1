#include "strain/Plotapp.h"

#include <QGuiApplication>
#include <cstdlib>

void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "latticor";
  static char* argv[] = {name, nullptr};
  // Start-up notes of a headless platform (no runtime directory and the like) are no business
  // of a command-line user.
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  // Never destroyed: the thread that made it may have ended by the exit (Python tracks on a
  // thread of its own), and its teardown on another thread crashes; the exit frees it anyway.
  static const QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
  qInstallMessageHandler(previous);
}
