#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QStringList>

class QDialog;
class QWidget;

// The filter list of the file dialogs: gray images, code files, displacement files, all files;
// dialogs that open a file list the camera pictures first.
QStringList FileFilters(bool opening);

// The application title: caption of every message box.
inline constexpr const char* AppTitle = "Latticor Displacement Computer";

// Every platform service that waits for a person or reaches outside the program. The main
// window receives one; the tests give it a scripted one so that every command runs unattended.
class TPlatform {
 public:
  virtual ~TPlatform() = default;

  // Filter indices count from 1 in the list: gray images, code files, displacement files, all.
  // Both dialogs leave the process's current directory alone; nothing is returned on Cancel.
  virtual std::optional<std::string> OpenFile(const std::string& title, int filterIndex,
                                              const std::string& dir,
                                              const std::string& proposedName) = 0;
  // Asks before overwriting; defaultExt (without the dot) is added to a name without extension.
  virtual std::optional<std::string> SaveFile(const std::string& title, int filterIndex,
                                              const std::string& dir,
                                              const std::string& proposedName,
                                              const std::string& defaultExt) = 0;
  // Opens in dir; without one, in the home folder.
  virtual std::optional<std::string> ChooseFolder(const std::string& caption,
                                                  const std::string& dir = "") = 0;
  // Several files at once, all of the filter list shown; nothing on Cancel. Without a dialog
  // of its own, a platform offers one file.
  virtual std::optional<std::vector<std::string>> OpenFiles(const std::string& title,
                                                            const std::string& dir) {
    auto file = OpenFile(title, 1, dir, "");
    if (!file) return std::nullopt;
    return std::vector<std::string>{*file};
  }
  // A warning with Yes and No; true for Yes.
  virtual bool Ask(const std::string& text) = 0;
  // Stop icon and OK; the text is shown as given.
  virtual void ShowError(const std::string& text) = 0;
  // No icon and OK.
  virtual void ShowNotice(const std::string& text) = 0;
  virtual void Beep() = 0;
  virtual void Sleep(int milliseconds) = 0;
  // The result is not looked at: without a mail program nothing happens.
  virtual void OpenUrl(const std::string& url) = 0;
  // Runs a modal dialog; true when it was accepted (OK), false on Cancel or its close box.
  virtual bool ExecDialog(QDialog& dialog) = 0;
};
