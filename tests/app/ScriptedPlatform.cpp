#include "ScriptedPlatform.h"

#include <QApplication>
#include <QTest>

namespace {

// The next prepared answer, or the refusal recorded as a question nobody prepared for.
template <class T>
T Next(std::deque<T>& answers, std::vector<std::string>& unexpected, const std::string& what,
       T refusal) {
  if (answers.empty()) {
    unexpected.push_back(what);
    return refusal;
  }
  T answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

std::optional<std::string> TScriptedPlatform::OpenFile(const std::string& title, int filterIndex,
                                                       const std::string& dir,
                                                       const std::string& proposedName) {
  FileRequests.push_back({false, title, filterIndex, dir, proposedName, ""});
  return Next(FileAnswers, Unexpected, "file dialog: " + title, {});
}

std::optional<std::string> TScriptedPlatform::SaveFile(const std::string& title, int filterIndex,
                                                       const std::string& dir,
                                                       const std::string& proposedName,
                                                       const std::string& defaultExt) {
  FileRequests.push_back({true, title, filterIndex, dir, proposedName, defaultExt});
  return Next(FileAnswers, Unexpected, "file dialog: " + title, {});
}

std::optional<std::string> TScriptedPlatform::ChooseFolder(const std::string& caption,
                                                           const std::string& dir) {
  FolderCaptions.push_back(caption);
  FolderDirs.push_back(dir);
  return Next(FolderAnswers, Unexpected, "folder chooser: " + caption, {});
}

bool TScriptedPlatform::Ask(const std::string& text) {
  Questions.push_back(text);
  return Next(AskAnswers, Unexpected, "question: " + text, false);
}

bool TScriptedPlatform::ExecDialog(QDialog& dialog) {
  const std::string title = dialog.windowTitle().toStdString();
  DialogTitles.push_back(title);
  auto script = Next(DialogScripts, Unexpected, "dialog: " + title, {});
  if (!script) return false;
  // Shown as the real modal run would show it, so that mouse and key events reach it.
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) Unexpected.push_back("dialog not exposed");
  script(dialog);
  const bool accepted = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
  dialog.hide();
  return accepted;
}

std::string TScriptedPlatform::UnexpectedText() const {
  std::string text;
  for (const std::string& u : Unexpected) text += (text.empty() ? "" : "; ") + u;
  return text;
}
