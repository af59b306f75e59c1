#include "app/platform/Settings.h"

#include <QSettings>
#include <QString>

#include "base/Error.h"

namespace Settings {

namespace {
const QString PathLast = "Path/last";
const QString ScaleGroup = "Image Scale";
}  // namespace

std::string ReadLast() {
  QSettings settings(Organisation, Application);
  return settings.value(PathLast).toString().toStdString();
}

void WriteLast(const std::string& directory) {
  QSettings settings(Organisation, Application);
  settings.setValue(PathLast, QString::fromStdString(directory));
}

void EnsureScale() {
  QSettings settings(Organisation, Application);
  settings.beginGroup(ScaleGroup);
  if (!settings.childKeys().isEmpty()) return;
  settings.setValue("scalex", 1.0);
  settings.setValue("scaley", 1.0);
}

double ReadScale(const char* name) {
  QSettings settings(Organisation, Application);
  settings.beginGroup(ScaleGroup);
  QVariant value = settings.value(name);
  bool ok = false;
  double result = value.toDouble(&ok);
  if (!value.isValid() || !ok) throw TError(std::string("Invalid data type for '") + name + "'");
  return result;
}

void WriteScale(double scaleX, double scaleY) {
  QSettings settings(Organisation, Application);
  settings.beginGroup(ScaleGroup);
  settings.setValue("scalex", scaleX);
  settings.setValue("scaley", scaleY);
}

}  // namespace Settings
