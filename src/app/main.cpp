// The desktop application. A picture given on the command line opens as New Segment and a code
// file (".cod") shows its dots over its picture, so that a file manager's "open with" works. Two
// environment variables serve the start-up test: LATTICOR_TEST_PICTURE names a picture to display
// at once, and LATTICOR_TEST_CLOSE_MS asks the window to close after that many milliseconds and
// answers the exit question with Yes; LATTICOR_TEST_GRAB names a PNG file that receives the image
// view's picture just before closing, LATTICOR_TEST_GRAB_WINDOW one for the whole window, and
// LATTICOR_TEST_KEYS lists shortcuts
// ("Ctrl+0;Ctrl+1") whose commands run half-way.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"

namespace {

void InstallTestHooks(TMainForm& form) {
  if (const char* picture = std::getenv("LATTICOR_TEST_PICTURE"))
    form.RunCommand([&form, picture] { form.DisplayImage(picture); });
  const char* closeMs = std::getenv("LATTICOR_TEST_CLOSE_MS");
  if (closeMs == nullptr) return;
  if (const char* keys = std::getenv("LATTICOR_TEST_KEYS")) {
    // The commands bound to the keys, e.g. "Ctrl+0", half-way through the run.
    QTimer::singleShot(std::atoi(closeMs) / 2, &form, [&form, keys] {
      for (const QString& key : QString(keys).split(';', Qt::SkipEmptyParts))
        for (QAction* action : form.findChildren<QAction*>())
          if (action->shortcuts().contains(QKeySequence(key))) action->trigger();
    });
  }
  QTimer::singleShot(std::atoi(closeMs), &form, [&form] {
    if (const char* grab = std::getenv("LATTICOR_TEST_GRAB")) form.PaintBox()->grab().save(grab);
    if (const char* grab = std::getenv("LATTICOR_TEST_GRAB_WINDOW")) form.grab().save(grab);
    // Answer the exit question as a person would, by pressing Yes in the message box.
    auto* answer = new QTimer(&form);
    QObject::connect(answer, &QTimer::timeout, &form, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        if (QAbstractButton* yes = box->button(QMessageBox::Yes)) yes->click();
    });
    answer->start(50);
    form.close();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is needed.
  if (argc == 2 &&
      (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::printf(std::strcmp(argv[1], "--version") == 0
                    ? "latticor " LATTICOR_VERSION "\n"
                    : "Usage: latticor [PICTURE | FILE.cod]\n"
                      "Opens the picture as New Segment, or shows the code file's dots over its "
                      "picture.\nLATTICOR_MAX_PIXELS=N reads pictures of more than 268435456 "
                      "pixels.\n");
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(AppTitle);
  // The desktop entry's name: the desktop finds the icon through it.
  QGuiApplication::setDesktopFileName("latticor");
  int result = 0;
  // Made absolute before the window moves the current directory to the working directory.
  const QStringList arguments = QApplication::arguments();
  const QFileInfo given(arguments.size() > 1 ? arguments.at(1) : QString());
  const std::string file = arguments.size() > 1 ? given.absoluteFilePath().toStdString() : "";
  const bool codeFile = given.suffix().compare("cod", Qt::CaseInsensitive) == 0;
  try {
    TQtPlatform platform;
    TMainForm form(platform);
    platform.SetParent(&form);
    form.showMaximized();
    if (!file.empty()) {
      // Once the window has its final size, so that the picture is fitted to it.
      QTimer::singleShot(0, &form, [&form, file, codeFile] {
        form.RunCommand([&form, file, codeFile] {
          if (codeFile)
            form.OpenCodeFile(file);
          else
            form.NewSegment(file);
        });
      });
    }
    InstallTestHooks(form);
    result = QApplication::exec();
  } catch (...) {
    TMainForm::WriteLastDirectory();
    throw;
  }
  TMainForm::WriteLastDirectory();
  return result;
}
