// Takes screenshots of the main window and its dialogs for a person to look at: run it under a
// virtual X server with a window manager (tools/screenshots/screenshots.sh). Each picture is taken
// of the whole screen (ImageMagick's import) and of the window alone (QWidget::grab). Given two
// code files after the folder, it shows their strain result instead.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "app/About.h"
#include "app/Main.h"
#include "app/Manual.h"
#include "app/encode/Encodeparameter.h"
#include "app/match/Computescale.h"
#include "app/match/Strainoverlay.h"
#include "app/match/Strainresult.h"
#include "app/platform/Platform.h"
#include "app/platform/Qtplatform.h"
#include "app/segment/Segmentparameter.h"
#include "app/segment/Simplesegmentparameter.h"
#include "app/sequence/Sequenceform.h"
#include "app/sequence/Sequencesetup.h"
#include "app/view/Colourrange.h"
#include "app/view/Imageview.h"
#include "app/view/Paintbox.h"
#include "app/view/Zoomview.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace {

QString OutDir;

void Shot(const QString& name, QWidget* window, int wait = 600) {
  QTest::qWait(wait);
  const QString screen = OutDir + "/" + name + "-screen.png";
  // Without ImageMagick, the X server's root window through Qt.
  if (QProcess::execute("import", {"-window", "root", screen}) != 0)
    QGuiApplication::primaryScreen()->grabWindow(0).save(screen);
  if (window != nullptr) window->grab().save(OutDir + "/" + name + "-window.png");
  std::printf("%s\n", qPrintable(name));
}

// The real services, but files are chosen without a person, dialogs are photographed before
// they are confirmed, and the encoding's pauses take no time; one of them is photographed.
class TShotPlatform : public TQtPlatform {
 public:
  std::string Picture;
  std::deque<std::string> Files;  // answered first, in order
  std::string SaveName;
  QWidget* Window = nullptr;
  int Pauses = 0;
  int ShotAtPause = -1;
  std::optional<std::string> OpenFile(const std::string&, int, const std::string&,
                                      const std::string&) override {
    if (Files.empty()) return Picture;
    const std::string file = Files.front();
    Files.pop_front();
    return file;
  }
  std::optional<std::string> SaveFile(const std::string&, int, const std::string&,
                                      const std::string&, const std::string&) override {
    return SaveName;
  }
  // A message box is photographed (the screen and the box) and then answered, under the name
  // set before the command that raises it.
  QString NextBox = "message";
  bool NextAnswer = true;
  bool Ask(const std::string& text) override {
    ShootNextBox();
    return TQtPlatform::Ask(text);
  }
  void ShowNotice(const std::string& text) override {
    ShootNextBox();
    TQtPlatform::ShowNotice(text);
  }
  void ShootNextBox() {
    QTimer::singleShot(800, [name = NextBox, yes = NextAnswer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      QGuiApplication::primaryScreen()->grabWindow(0).save(OutDir + "/" + name + "-screen.png");
      box->grab().save(OutDir + "/" + name + "-window.png");
      std::printf("%s\n", qPrintable(name));
      QAbstractButton* button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
      if (button == nullptr) button = box->button(QMessageBox::Ok);
      if (button != nullptr) button->click();
    });
  }
  void Sleep(int) override {
    if (++Pauses == ShotAtPause) Shot("encoding-in-progress", Window);
  }
  // Fills a dialog as a person would before it is photographed.
  std::function<void(QDialog&)> Fill;
  bool ExecDialog(QDialog& dialog) override {
    dialog.show();
    if (Fill) Fill(dialog);
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

// The strain result of two code files: the map of exx at Fit, e1 with vectors, a zoomed-in
// part, and the view after the window closed.
void StrainShots(TMainForm& form, TShotPlatform& platform, const std::string& initial,
                 const std::string& deformed) {
  platform.Files = {initial, deformed};
  QElapsedTimer clock;
  clock.start();
  form.DoMatchingMenuItemClick();
  TStrainResultForm* result = form.StrainResultForm();
  if (result == nullptr) {
    std::fprintf(stderr, "no strain result window\n");
    return;
  }
  form.PaintBox()->repaint();
  std::printf("Do Matching with the strain result shown: %lld ms\n",
              static_cast<long long>(clock.elapsed()));
  Shot("strain-exx", &form);
  // What a person waits for, in the real window: a field change and a repaint at Fit.
  for (int i = 0; i < 3; ++i) {
    clock.start();
    result->FieldComboBox->setCurrentIndex(
        static_cast<int>(i % 2 == 0 ? TPlotQuantity::Eyy : TPlotQuantity::Exx));
    form.PaintBox()->repaint();
    const qint64 change = clock.elapsed();
    clock.start();
    form.PaintBox()->repaint();
    std::printf("field change %lld ms, repaint %lld ms\n", static_cast<long long>(change),
                static_cast<long long>(clock.elapsed()));
  }
  result->FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::E1));
  result->VectorsCheckBox->setChecked(true);
  Shot("strain-e1-vectors", &form);
  form.ImageView()->ZoomAt(4, form.ImageView()->viewport()->rect().center());
  Shot("strain-zoomed", &form);
  form.ImageView()->FitToWindow();
  result->close();
  Shot("strain-closed", &form);
}

// This wave's additions: the scale in the state panel, the questions of Modify Coord., a least
// area losing most dots and a displacement file mixing units, the manual, the recent files, a
// tool window beside the strain dock, and a 6000 x 4000 grid of pitch 40 beyond the table.
void DeskShots(TMainForm& form, TShotPlatform& platform, TTempDir& home) {
  form.Workflow().FScaleX = form.Workflow().FScaleY = 0.05f;  // as read from an earlier run
  form.Workflow().FScaleSetThisRun = false;
  platform.Picture = home.File("segmented.bmp");
  form.NewEncodeMenuItemClick();
  TEncodeParameterForm& parameters = *form.EncodeParameterForm();
  parameters.AreaThresholdEdit->setText("400");
  platform.NextBox = "warning-least-area-share";
  form.RunCommand([&] { form.DoEncodingMenuItemClick(); });
  form.RunCommand([&] {
    const TDotInfo& dot = form.Workflow().FEncoder->DotInfo()[41];
    QTest::mouseClick(form.PaintBox(), Qt::LeftButton, {},
                      form.PaintBox()->ToBox(int32_t(dot.x), int32_t(dot.y)));
    parameters.PageControl->setCurrentIndex(1);
    parameters.NxEdit->setText(QString::number(form.Workflow().FEncoder->DotInfo()[40].Nx));
    parameters.NyEdit->setText(QString::number(form.Workflow().FEncoder->DotInfo()[40].Ny));
    platform.NextBox = "question-taken-position";
    parameters.ModifyCoordButton->click();
  });
  Shot("desk-corrected-label", &form);
  platform.SaveName = home.File("scaled.cod");
  form.RunCommand([&] { form.SaveEncodeResultMenuItemClick(); });
  Shot("desk-state-scale", &form);
  platform.Files = {home.File("scaled.cod"), home.File("scaled.cod")};
  form.RunCommand([&] { form.DoMatchingMenuItemClick(); });
  form.SetScaleMenuItemClick();
  form.ComputeScaleForm()->ImageScaleXEdit->setText("10");
  form.ComputeScaleForm()->ApplyScaleButton->click();
  Shot("desk-scale-beside-strain-dock", &form);
  form.ComputeScaleForm()->hide();
  platform.SaveName = home.File("scaled.dat");
  platform.NextBox = "question-y-column";
  platform.NextAnswer = false;
  form.RunCommand([&] { form.SaveMatchResultMenuItemClick(); });
  platform.NextAnswer = true;
  if (form.StrainResultForm()) form.StrainResultForm()->close();
  form.RunCommand([&] { form.ManualMenuItemClick(); });
  Shot("desk-manual", &form);
  form.ManualForm()->close();
  auto* recent = form.findChild<QMenu*>("RecentMenu");
  recent->popup(form.mapToGlobal(QPoint(120, 60)));
  Shot("desk-recent", recent);
  recent->close();

  // A 6000 x 4000 segmented grid of pitch 40: beyond the table of 50 x 50.
  TSynthOptions o;
  o.Width = 6000;
  o.Height = 4000;
  o.PitchX = o.PitchY = 40;
  o.Radius = 10;
  o.DotLevel = 255;
  o.BackgroundLevel = 0;
  TGrayImage big;
  TSynthGrid(o).Render(false, big);
  big.SaveToFile(home.File("big.bmp"));
  platform.Picture = home.File("big.bmp");
  QElapsedTimer clock;
  clock.start();
  form.RunCommand([&] { form.NewEncodeMenuItemClick(); });
  std::printf("New Encode 6000 x 4000: %lld ms\n", static_cast<long long>(clock.elapsed()));
  parameters.AreaThresholdEdit->setText("100");
  platform.NextBox = "question-larger-table";
  clock.start();
  form.RunCommand([&] { form.DoEncodingMenuItemClick(); });
  std::printf("Do Encoding 6000 x 4000, with the larger table: %lld ms, %d dots\n",
              static_cast<long long>(clock.elapsed()), form.Workflow().FEncoder->DotSum());
  Shot("desk-larger-table-encoded", &form);
}

void MoveMouse(QWidget* widget, QPoint pos) {
  QMouseEvent event(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// A whole test in the sequence window: the setup, the run with its progress bar, the steps with
// their maps, a dot's history, another field with vectors, percentiles, and the line profiles.
void SequenceShots(TMainForm& form, TShotPlatform& platform, const std::string& pictures,
                   const std::string& out) {
  platform.Fill = [&](QDialog& dialog) {
    if (auto* setup = qobject_cast<TSequenceSetupForm*>(&dialog)) {
      setup->PicturesMemo->setPlainText(QString::fromStdString(pictures));
      setup->OutEdit->setText(QString::fromStdString(out));
    }
  };
  form.findChild<QAction*>("TrackSequenceMenuItem")->trigger();
  auto* sequence = form.findChild<TSequenceForm*>("SequenceForm");
  if (sequence == nullptr) return;
  QElapsedTimer clock;
  clock.start();
  while (sequence->ProgressBar->value() < 3 && sequence->Running()) QTest::qWait(20);
  Shot("sequence-running", &form, 0);
  while (sequence->Running()) QTest::qWait(50);
  std::printf("tracked in %lld ms\n", static_cast<long long>(clock.elapsed()));
  Shot("sequence-last-step", &form);
  // What a person waits for when moving the slider: the step's files read, its map painted.
  const int last = sequence->StepSlider->maximum();
  for (int k : {last / 2, last / 2 + 1, 1, last}) {
    clock.restart();
    sequence->StepSlider->setValue(k);
    form.PaintBox()->repaint();
    std::printf("step %d shown in %lld ms\n", k, static_cast<long long>(clock.elapsed()));
  }
  const TStrainField* field = sequence->Overlay().Field();
  if (field != nullptr && !field->Points().empty()) {
    const TStrainPoint& point = field->Points()[field->Points().size() / 3];
    const QPointF at = sequence->Overlay().Geometry()->Pixel(point.Pair) * form.PaintBox()->Zoom();
    QTest::mouseClick(form.PaintBox(), Qt::LeftButton, {}, at.toPoint());
    MoveMouse(form.PaintBox(), at.toPoint());
  }
  Shot("sequence-dot-history", &form);
  sequence->FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::E1));
  sequence->VectorsCheckBox->setChecked(true);
  Shot("sequence-e1-vectors", &form);
  form.ImageView()->ZoomAt(4, form.ImageView()->viewport()->rect().center());
  Shot("sequence-zoomed", &form);
  form.ImageView()->FitToWindow();
  sequence->VectorsCheckBox->setChecked(false);
  sequence->FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
  sequence->RangeBox->RangeComboBox->setCurrentIndex(static_cast<int>(TRangeMode::Percentiles));
  Shot("sequence-percentiles", &form);
  // A line profile across the map, then across the picture alone.
  form.findChild<QAction*>("LineProfileMenuItem")->trigger();
  const QSize box = form.PaintBox()->size();
  auto drag = [&form](QPoint from, QPoint to) {
    QTest::mousePress(form.PaintBox(), Qt::LeftButton, {}, from);
    for (int i = 1; i <= 10; ++i) QTest::mouseMove(form.PaintBox(), from + (to - from) * i / 10);
    QTest::mouseRelease(form.PaintBox(), Qt::LeftButton, {}, to);
  };
  drag(QPoint(box.width() / 8, box.height() / 2), QPoint(box.width() * 7 / 8, box.height() / 3));
  Shot("profile-map", &form);
  sequence->close();
  platform.Picture = pictures + "/" + sequence->Steps()->Steps().back().Picture;
  form.DisplayImageMenuItemClick();
  form.ImageView()->ZoomAt(2, form.ImageView()->viewport()->rect().center());
  const QPoint centre = form.PaintBox()->mapFrom(form.ImageView()->viewport(),
                                                 form.ImageView()->viewport()->rect().center());
  drag(centre - QPoint(120, 0), centre + QPoint(120, 0));
  MoveMouse(form.PaintBox(), centre);
  Shot("profile-gray", &form);
}

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
  const TSynthGrid grid(options);
  grid.Render(false, picture);
  picture.SaveToFile(home.File("grid.bmp"));

  TShotPlatform platform;
  platform.Picture = home.File("grid.bmp");
  TMainForm form(platform);
  platform.SetParent(&form);
  form.showMaximized();
  if (!QTest::qWaitForWindowExposed(&form)) std::fprintf(stderr, "window not shown\n");
  form.Workflow().FWorkDir = home.Path() + "/";
  if (argc > 3 && std::string(argv[2]) == "--sequence") {
    SequenceShots(form, platform, argv[3], argc > 4 ? argv[4] : home.Path() + "/track");
    return 0;
  }
  if (argc > 3) {
    // Only the strain result of the two code files given.
    StrainShots(form, platform, argv[2], argv[3]);
    return 0;
  }
  form.NewSegmentMenuItemClick();
  Shot("main-grid", &form);
  Shot("segment-parameter", form.SegmentParameterForm());
  form.MultiAreaSegmentMenuItemClick();
  // A drag in progress: the rubber band and its size in the status bar.
  QTest::mousePress(form.PaintBox(), Qt::LeftButton, {}, QPoint(120, 300));
  QTest::mouseMove(form.PaintBox(), QPoint(200, 360));
  QTest::mouseMove(form.PaintBox(), QPoint(260, 420));
  Shot("main-segmented-drag", &form);
  QTest::mouseRelease(form.PaintBox(), Qt::LeftButton, {}, QPoint(260, 420));
  Shot("segment-parameter-after-drag", form.SegmentParameterForm());
  form.FilterMenuItemClick();
  form.SimpleSegmentMenuItemClick();
  form.AboutMenuItemClick();
  form.SegmentParameterForm()->hide();
  form.DisplayImage(home.File("grid.bmp"));
  Shot("main-display", &form);

  // The Encode menu on the segmented picture: the walk in progress, the dots it did not expand
  // in red with their labels, every label, a picked dot, and the dialogs.
  platform.Window = &form;
  form.NewSegmentMenuItemClick();
  form.MultiAreaSegmentMenuItemClick();
  platform.SaveName = home.File("segmented.bmp");
  form.SaveSegmentResultMenuItemClick();
  {
    // A few specks between the dots, big enough to pass for dots, that the walk cannot reach.
    TGrayImage segmented(home.File("segmented.bmp"));
    for (size_t k : {1, 2, 3, 5, 6, 7}) {  // not beside the origin in the middle
      const TSynthDot& dot = grid.Dots()[k * grid.Dots().size() / 8];
      const int32_t x = static_cast<int32_t>(dot.X0 + options.PitchX / 2) - 3;
      const int32_t y = static_cast<int32_t>(dot.Y0 + options.PitchY / 2) - 3;
      segmented.FillRect(255, x, y, x + 6, y + 6);
    }
    segmented.SaveToFile(home.File("segmented.bmp"));
  }
  platform.Picture = home.File("segmented.bmp");
  form.NewEncodeMenuItemClick();
  TEncodeParameterForm& parameters = *form.EncodeParameterForm();
  parameters.AreaThresholdEdit->setText("40");
  form.findChild<QAction*>("DelayMenuItem")->trigger();
  platform.ShotAtPause = 300;
  form.DoEncodingMenuItemClick();
  if (form.Workflow().FEncoder) {
    int neted = 0;
    for (const TDotInfo& dot : form.Workflow().FEncoder->DotInfo()) neted += dot.Neted ? 1 : 0;
    std::printf("stage %d origin %d dots %d expanded %d pauses %d\n", form.Workflow().FEncodeStage,
                form.Workflow().FOriginDot, form.Workflow().FEncoder->DotSum(), neted,
                platform.Pauses);
  }
  Shot("encoding-unexpanded", &form);
  form.ShowPositionMenuItemClick();
  Shot("encoding-positions", &form);
  if (form.Workflow().FEncoder && form.Workflow().FEncoder->DotSum() > 40) {
    const TDotInfo& dot = form.Workflow().FEncoder->DotInfo()[40];
    QTest::mouseClick(form.PaintBox(), Qt::LeftButton, {},
                      QPoint(static_cast<int>(dot.x), static_cast<int>(dot.y)));
  }
  Shot("encoding-picked", &form);
  for (int tab = 0; tab < parameters.PageControl->count(); ++tab) {
    parameters.PageControl->setCurrentIndex(tab);
    Shot(QString("encode-parameter-tab%1").arg(tab), &parameters);
  }
  // The Reference and Centroids group in use: an earlier code file, a shift, refined centroids.
  parameters.SetReferenceFile(home.File("initial.cod"));
  parameters.ShiftDxEdit->setText("12.5");
  parameters.RefinedCentroidRadioButton->click();
  parameters.PageControl->setCurrentIndex(0);
  Shot("encode-parameter-reference", &parameters);
  parameters.SetReferenceFile("");  // the file is not there: the runs below go without it
  parameters.PlainCentroidRadioButton->click();
  form.SetCoordinateMenuItemClick();

  // The Match menu on one code file twice, the result type dialog, and the scale dialog after a
  // drag along a row of dots.
  parameters.hide();
  platform.SaveName = home.File("grid.cod");
  form.SaveEncodeResultMenuItemClick();
  platform.Picture = home.File("grid.cod");
  form.DoMatchingMenuItemClick();
  platform.SaveName = home.File("Match0.dat");
  form.SaveMatchResultMenuItemClick();
  form.SetScaleMenuItemClick();
  QTest::mousePress(form.PaintBox(), Qt::LeftButton, {}, QPoint(100, 200));
  QTest::mouseMove(form.PaintBox(), QPoint(300, 205));
  QTest::mouseMove(form.PaintBox(), QPoint(500, 210));
  QTest::mouseRelease(form.PaintBox(), Qt::LeftButton, {}, QPoint(500, 210));
  Shot("scale", form.ComputeScaleForm());
  form.ComputeScaleForm()->hide();

  // The warnings: dots of the other colour than the one chosen, a least area above every dot,
  // Auto on a picture that was never segmented; and the code file over its picture.
  platform.Picture = home.File("grid.bmp");
  form.NewSegmentMenuItemClick();
  form.WhiteDotToolButtonClick();  // black dots, on a picture of white ones
  platform.NextBox = "warning-dot-colour";
  platform.NextAnswer = false;
  form.MultiAreaSegmentMenuItemClick();
  form.WhiteDotToolButtonClick();
  form.SegmentParameterForm()->hide();
  platform.Picture = home.File("segmented.bmp");
  form.NewEncodeMenuItemClick();
  parameters.PageControl->setCurrentIndex(0);
  parameters.AreaThresholdEdit->setText("5000");
  platform.NextBox = "warning-least-area";
  platform.NextAnswer = true;
  form.DoEncodingMenuItemClick();
  Shot("encode-parameter-robust-least-area", &parameters);
  platform.Picture = home.File("grid.bmp");
  form.NewEncodeMenuItemClick();
  platform.NextBox = "notice-unsegmented";
  parameters.AutoButtonClick();
  parameters.hide();
  form.OpenCodeFile(home.File("grid.cod"));
  Shot("code-file-view", &form);
  DeskShots(form, platform, home);
  return 0;
}
