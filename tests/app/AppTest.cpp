#include "AppTest.h"

#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>

#include "app/Imageview.h"
#include "app/Settings.h"
#include "image/Grayimage.h"

namespace AppTest {

void ClearSettings() {
  QSettings settings(Settings::Organisation, Settings::Application);
  settings.clear();
}

std::string SettingsValue(const char* key) {
  QSettings settings(Settings::Organisation, Settings::Application);
  return settings.contains(key) ? settings.value(key).toString().toStdString() : "(none)";
}

void SetSetting(const char* key, const QVariant& value) {
  QSettings settings(Settings::Organisation, Settings::Application);
  settings.setValue(key, value);
}

void WriteGridPicture(const std::string& path, int32_t width, int32_t height, bool whiteDots,
                      double gradient, uint32_t seed) {
  TSynthOptions options;
  options.Width = width;
  options.Height = height;
  options.PitchX = 16;
  options.PitchY = 16;
  options.Radius = 4;
  options.WhiteDots = whiteDots;
  options.NoiseSigma = 6;
  options.Gradient = gradient;
  options.Seed = seed;
  TSynthGrid grid(options);
  TGrayImage image;
  grid.Render(false, image);
  image.SaveToFile(path);
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

void MoveMouse(QWidget* widget, QPoint pos) {
  QMouseEvent event(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

int RunTests(QObject& tests, int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  return QTest::qExec(&tests, argc, argv);
}

}  // namespace AppTest
