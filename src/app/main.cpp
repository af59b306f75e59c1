// The desktop application. It takes no arguments. Two environment variables serve the start-up
// test: LATTICOR_TEST_PICTURE names a picture to display at once, and LATTICOR_TEST_CLOSE_MS asks
// the window to close after that many milliseconds and answers the exit question with Yes;
// LATTICOR_TEST_GRAB names a PNG file that receives the image view just before closing.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"

namespace {

void InstallTestHooks(TMainForm& form) {
  if (const char* picture = std::getenv("LATTICOR_TEST_PICTURE"))
    form.RunCommand([&form, picture] { form.DisplayImage(picture); });
  const char* closeMs = std::getenv("LATTICOR_TEST_CLOSE_MS");
  if (closeMs == nullptr) return;
  QTimer::singleShot(std::atoi(closeMs), &form, [&form] {
    if (const char* grab = std::getenv("LATTICOR_TEST_GRAB")) form.PaintBox()->grab().save(grab);
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
  QApplication app(argc, argv);
  QApplication::setApplicationName(AppTitle);
  int result = 0;
  try {
    TQtPlatform platform;
    TMainForm form(platform);
    platform.SetParent(&form);
    form.showMaximized();
    InstallTestHooks(form);
    result = QApplication::exec();
  } catch (...) {
    TMainForm::WriteLastDirectory();
    throw;
  }
  TMainForm::WriteLastDirectory();
  return result;
}
