#include "AppTest.h"

#include <QDir>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <cmath>
#include <cstring>

#include "app/platform/Settings.h"
#include "base/Convert.h"
#include "encode/Encoderun.h"

namespace AppTest {

void ClearSettings() {
  QSettings(Settings::Organisation, Settings::Application).clear();
}

std::string SettingsValue(const char* key) {
  QSettings settings(Settings::Organisation, Settings::Application);
  return settings.contains(key) ? settings.value(key).toString().toStdString() : "(none)";
}

void SetSetting(const char* key, const QVariant& value) {
  QSettings(Settings::Organisation, Settings::Application).setValue(key, value);
}

void WriteGridPicture(const std::string& path, int32_t width, int32_t height, bool whiteDots,
                      double gradient, uint32_t seed) {
  TGrayImage image;
  TSynthGrid({.Width = width,
              .Height = height,
              .PitchX = 16,
              .PitchY = 16,
              .Radius = 4,
              .WhiteDots = whiteDots,
              .NoiseSigma = 6,
              .Gradient = gradient,
              .Seed = seed})
      .Render(false, image);
  image.SaveToFile(path);
}

void WriteDots(const std::string& path, int32_t width, int32_t height,
               const std::vector<QPointF>& centres, double radius) {
  TGrayImage image;
  image.SetWidth(width);
  image.SetHeight(height);
  std::memset(image.Data(), 0, static_cast<size_t>(image.Size()));
  for (const QPointF& c : centres)
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        if (std::hypot(x - c.x(), y - c.y()) <= radius) image.SetPixel(x, y, 255);
  image.SaveToFile(path);
}

std::vector<QPointF> Lattice(double x0, double y0, double pitchX, double pitchY, int columns,
                             int rows) {
  std::vector<QPointF> centres;
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < columns; ++i) centres.emplace_back(x0 + i * pitchX, y0 + j * pitchY);
  return centres;
}

QAction* Action(TMainForm& form, const char* name) {
  auto* action = form.findChild<QAction*>(name);
  if (action == nullptr) qWarning("no action %s", name);
  return action;
}

void Trigger(TMainForm& form, const char* name) {
  if (QAction* action = Action(form, name)) action->trigger();
}

bool ViewShows(TMainForm& form, const TGrayImage& image) {
  TViewSurface& surface = form.ViewSurface();
  if (surface.Width() != image.Width() || surface.Height() != image.Height()) return false;
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t x = 0; x < image.Width(); ++x)
      if (!(surface.Pixel(x, y) == GrayColor(image.Row(y)[x]))) return false;
  return true;
}

bool SameImages(const TGrayImage& a, const TGrayImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + a.Size(), b.Data());
}

bool SameSurfaces(const TRgbSurface& a, const TRgbSurface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + size_t(a.Width()) * a.Height() * 3, b.Data());
}

void MoveMouse(QWidget* widget, QPoint pos) {
  QMouseEvent event(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

std::unique_ptr<TEncode> CoreRun(const std::string& path, bool whiteDots, int32_t leastArea,
                                 int32_t method, int32_t maxN) {
  auto job = std::make_unique<TEncode>(path, whiteDots, false, maxN, maxN);
  TEncodeRunOptions options;
  options.LeastArea = TLeastArea::Given(leastArea);
  options.Method = method;
  RunEncoding(*job, options);
  return job;
}

std::string DotDifference(const TEncode& a, const TEncode& b) {
  if (a.DotSum() != b.DotSum() || a.DotInfo().size() != b.DotInfo().size())
    return "dot counts " + IntToStr(a.DotSum()) + " and " + IntToStr(b.DotSum());
  for (size_t i = 0; i < a.DotInfo().size(); ++i) {
    const TDotInfo& p = a.DotInfo()[i];
    const TDotInfo& q = b.DotInfo()[i];
    bool same = p.x == q.x && p.y == q.y && p.Nx == q.Nx && p.Ny == q.Ny && p.Neted == q.Neted &&
                p.Coded == q.Coded && p.Area == q.Area;
    for (int d = 0; d < 4; ++d) same = same && p.Neighbour[d] == q.Neighbour[d];
    if (!same) return "dot " + IntToStr(static_cast<int64_t>(i));
  }
  return "";
}

int32_t DotNear(const TEncode& job, double x, double y) {
  for (size_t i = 0; i < job.DotInfo().size(); ++i)
    if (std::hypot(job.DotInfo()[i].x - x, job.DotInfo()[i].y - y) < 1.0)
      return static_cast<int32_t>(i);
  return -1;
}

int RunTests(QObject& tests, int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  return QTest::qExec(&tests, argc, argv);
}

}  // namespace AppTest

using namespace AppTest;

void TFormTest::init() {
  ClearSettings();
  FWork = std::make_unique<TTempDir>();
  SetSetting("Path/last", QString::fromStdString(FWork->Path()));
  FPlatform = std::make_unique<TScriptedPlatform>();
  NewForm().resize(1100, 800);
  Form().show();
  QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
}

void TFormTest::cleanup() {
  FForm.reset();
  QDir::setCurrent(QDir::tempPath());
  QVERIFY2(FPlatform->Unexpected.empty(), FPlatform->UnexpectedText().c_str());
  QVERIFY2(FPlatform->AllAnswersUsed(), "a scripted answer was left over");
}

TMainForm& TFormTest::NewForm() {
  FForm.reset();
  FForm = std::make_unique<TMainForm>(*FPlatform);
  return *FForm;
}

TSegmentParameterForm& TFormTest::Parameters() {
  return *FForm->SegmentParameterForm();
}

TEncodeParameterForm& TFormTest::EncodeParameters() {
  return *FForm->EncodeParameterForm();
}

void TFormTest::ComputeScale(const char* imageX, const char* actualX, const char* imageY,
                             const char* actualY) {
  Trigger(Form(), "SetScaleMenuItem");
  TComputeScaleForm& scale = *Form().ComputeScaleForm();
  scale.ImageScaleXEdit->setText(imageX);
  scale.ActualScaleXEdit->setText(actualX);
  scale.ImageScaleYEdit->setText(imageY);
  scale.ActualScaleYEdit->setText(actualY);
  Press(scale.ApplyScaleButton);
}

void TFormTest::Drag(QPoint from, QPoint to) {
  TPaintBox* box = Form().PaintBox();
  QTest::mousePress(box, Qt::LeftButton, {}, from);
  QTest::mouseMove(box, (from + to) / 2);
  QTest::mouseMove(box, to);
  QTest::mouseRelease(box, Qt::LeftButton, {}, to);
}

void TFormTest::Click(QPoint at) {
  QTest::mouseClick(Form().PaintBox(), Qt::LeftButton, {}, at);
}

void TFormTest::Hover(QPoint at) {
  MoveMouse(Form().PaintBox(), at);
}

QPoint TFormTest::DotPoint(int32_t i) {
  const TDotInfo& dot = Form().Workflow().FEncoder->DotInfo().at(static_cast<size_t>(i));
  return QPoint(static_cast<int>(dot.x), static_cast<int>(dot.y));
}
