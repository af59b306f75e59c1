// Takes screenshots of the main window and its dialogs for a person to look at: run it under a
// virtual X server with a window manager (tests/app/screenshots.sh). Each picture is taken of
// the whole screen (ImageMagick's import) and of the window alone (QWidget::grab).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <cstdio>

#include "app/About.h"
#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "image/Grayimage.h"
#include "segment/Segmentparameter.h"
#include "segment/Simplesegmentparameter.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace {

QString OutDir;

void Shot(const QString& name, QWidget* window) {
  QTest::qWait(600);
  QProcess::execute("import", {"-window", "root", OutDir + "/" + name + "-screen.png"});
  if (window != nullptr) window->grab().save(OutDir + "/" + name + "-window.png");
  std::printf("%s\n", qPrintable(name));
}

// The real services, but the picture is chosen without a person and dialogs are photographed
// before they are confirmed.
class TShotPlatform : public TQtPlatform {
 public:
  std::string Picture;
  std::optional<std::string> OpenFile(const std::string&, int, const std::string&,
                                      const std::string&) override {
    return Picture;
  }
  bool ExecDialog(QDialog& dialog) override {
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) std::fprintf(stderr, "dialog not shown\n");
    if (auto* simple = qobject_cast<TSimpleSegmentParameterForm*>(&dialog)) {
      QWidget* box = simple->HistogramImage->PaintBox();
      QMouseEvent move(QEvent::MouseMove, QPointF(96, 60), box->mapToGlobal(QPointF(96, 60)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(box, &move);
      simple->HistogramImageClick();
    }
    Shot(dialog.objectName(), &dialog);
    dialog.accept();
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(AppTitle);
  OutDir = argc > 1 ? argv[1] : ".";
  QDir().mkpath(OutDir);
  TTempDir home;
  qputenv("HOME", home.Path().c_str());
  qputenv("XDG_CONFIG_HOME", (home.Path() + "/config").c_str());

  TSynthOptions options;
  options.Width = 900;
  options.Height = 640;
  options.PitchX = 22;
  options.PitchY = 22;
  options.Radius = 6;
  options.NoiseSigma = 8;
  options.Gradient = 110;
  options.RotationDeg = 3;
  TGrayImage picture;
  TSynthGrid(options).Render(false, picture);
  picture.SaveToFile(home.File("grid.bmp"));

  TShotPlatform platform;
  platform.Picture = home.File("grid.bmp");
  TMainForm form(platform);
  platform.SetParent(&form);
  form.showMaximized();
  if (!QTest::qWaitForWindowExposed(&form)) std::fprintf(stderr, "window not shown\n");
  form.FWorkDir = home.Path() + "/";
  form.NewSegmentMenuItemClick();
  Shot("main-grid", &form);
  Shot("segment-parameter", form.FSegmentParameterForm);
  form.MultiAreaSegmentMenuItemClick();
  // A drag in progress: the rubber band and its size in the status bar.
  QTest::mousePress(form.PaintBox(), Qt::LeftButton, {}, QPoint(120, 300));
  QTest::mouseMove(form.PaintBox(), QPoint(200, 360));
  QTest::mouseMove(form.PaintBox(), QPoint(260, 420));
  Shot("main-segmented-drag", &form);
  QTest::mouseRelease(form.PaintBox(), Qt::LeftButton, {}, QPoint(260, 420));
  Shot("segment-parameter-after-drag", form.FSegmentParameterForm);
  form.FilterMenuItemClick();
  form.SimpleSegmentMenuItemClick();
  form.AboutMenuItemClick();
  form.FSegmentParameterForm->hide();
  form.DisplayImage(home.File("grid.bmp"));
  Shot("main-display", &form);
  return 0;
}
