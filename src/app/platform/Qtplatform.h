#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/platform/Platform.h"

class QDialog;
class QWidget;

// The real services: Qt file dialogs and message boxes, the system beep, the desktop.
class TQtPlatform : public TPlatform {
 public:
  // Dialogs and message boxes are centred over parent once it is set.
  void SetParent(QWidget* parent) { FParent = parent; }

  std::optional<std::string> OpenFile(const std::string& title, int filterIndex,
                                      const std::string& dir,
                                      const std::string& proposedName) override;
  std::optional<std::string> SaveFile(const std::string& title, int filterIndex,
                                      const std::string& dir, const std::string& proposedName,
                                      const std::string& defaultExt) override;
  std::optional<std::string> ChooseFolder(const std::string& caption,
                                          const std::string& dir = "") override;
  std::optional<std::vector<std::string>> OpenFiles(const std::string& title,
                                                    const std::string& dir) override;
  bool Ask(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
  void Beep() override;
  void Sleep(int milliseconds) override;
  void OpenUrl(const std::string& url) override;
  bool ExecDialog(QDialog& dialog) override;

 private:
  QWidget* FParent = nullptr;
};
