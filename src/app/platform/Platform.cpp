#include "app/platform/Platform.h"

#include "app/platform/Qtplatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QThread>
#include <QUrl>

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::optional<std::string> RunFileDialog(QFileDialog& dialog, int filterIndex,
                                         const std::string& dir, const std::string& proposedName) {
  const bool opening = dialog.acceptMode() == QFileDialog::AcceptOpen;
  const QStringList filters = FileFilters(opening);
  dialog.setNameFilters(filters);
  // Indices count in the list without the camera pictures, which come first for opening: a
  // picture to open shows every picture the program reads.
  const int at = opening ? (filterIndex == 1 ? 0 : filterIndex) : filterIndex - 1;
  if (filterIndex >= 1 && at < filters.size()) dialog.selectNameFilter(filters[at]);
  dialog.setDirectory(Q(dir));
  if (!proposedName.empty()) dialog.selectFile(Q(proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

QStringList FileFilters(bool opening) {
  QStringList filters = {"Gray Image  files (*.bmp)", "Encoded grid files (*.cod)",
                         "Displacement files (*.dat *.data)", "All files (*)"};
  // Pictures are read by content; these are the names cameras give them.
  if (opening)
    filters.insert(0, "Camera pictures (*.bmp *.png *.tif *.tiff *.pgm *.ppm *.jpg *.jpeg)");
  return filters;
}

std::optional<std::string> TQtPlatform::OpenFile(const std::string& title, int filterIndex,
                                                 const std::string& dir,
                                                 const std::string& proposedName) {
  QFileDialog dialog(FParent, Q(title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, filterIndex, dir, proposedName);
}

std::optional<std::vector<std::string>> TQtPlatform::OpenFiles(const std::string& title,
                                                               const std::string& dir) {
  QFileDialog dialog(FParent, Q(title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  // The camera pictures first: a sequence is rarely of bitmaps.
  const QStringList filters = FileFilters(true);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters[1]);
  dialog.setDirectory(Q(dir));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  std::vector<std::string> files;
  for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
  return files;
}

std::optional<std::string> TQtPlatform::SaveFile(const std::string& title, int filterIndex,
                                                 const std::string& dir,
                                                 const std::string& proposedName,
                                                 const std::string& defaultExt) {
  QFileDialog dialog(FParent, Q(title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(Q(defaultExt));
  return RunFileDialog(dialog, filterIndex, dir, proposedName);
}

std::optional<std::string> TQtPlatform::ChooseFolder(const std::string& caption,
                                                     const std::string& dir) {
  QString folder = QFileDialog::getExistingDirectory(FParent, Q(caption),
                                                     dir.empty() ? QDir::homePath() : Q(dir));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

bool TQtPlatform::Ask(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, AppTitle, Q(text), QMessageBox::Yes | QMessageBox::No,
                  FParent);
  return box.exec() == QMessageBox::Yes;
}

void TQtPlatform::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, AppTitle, Q(text), QMessageBox::Ok, FParent);
  box.exec();
}

void TQtPlatform::ShowNotice(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, AppTitle, Q(text), QMessageBox::Ok, FParent);
  box.exec();
}

void TQtPlatform::Beep() {
  QApplication::beep();
}

void TQtPlatform::Sleep(int milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void TQtPlatform::OpenUrl(const std::string& url) {
  QDesktopServices::openUrl(QUrl(Q(url)));
}

bool TQtPlatform::ExecDialog(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}
