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
  static QGuiApplication application(argc, argv);
  qInstallMessageHandler(previous);
}
