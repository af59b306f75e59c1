#include "ScriptedPlatform.h"

#include <QApplication>
#include <QTest>

std::optional<std::string> TScriptedPlatform::NextFile(const std::string& title) {
  if (FileAnswers.empty()) {
    Unexpected.push_back("file dialog: " + title);
    return std::nullopt;
  }
  auto answer = FileAnswers.front();
  FileAnswers.pop_front();
  return answer;
}

std::optional<std::string> TScriptedPlatform::OpenFile(const std::string& title, int filterIndex,
                                                       const std::string& dir,
                                                       const std::string& proposedName) {
  FileRequests.push_back({false, title, filterIndex, dir, proposedName, ""});
  return NextFile(title);
}

std::optional<std::string> TScriptedPlatform::SaveFile(const std::string& title, int filterIndex,
                                                       const std::string& dir,
                                                       const std::string& proposedName,
                                                       const std::string& defaultExt) {
  FileRequests.push_back({true, title, filterIndex, dir, proposedName, defaultExt});
  return NextFile(title);
}

std::optional<std::string> TScriptedPlatform::ChooseFolder(const std::string& caption) {
  FolderCaptions.push_back(caption);
  if (FolderAnswers.empty()) {
    Unexpected.push_back("folder chooser: " + caption);
    return std::nullopt;
  }
  auto answer = FolderAnswers.front();
  FolderAnswers.pop_front();
  return answer;
}

bool TScriptedPlatform::Ask(const std::string& text) {
  Questions.push_back(text);
  if (AskAnswers.empty()) {
    Unexpected.push_back("question: " + text);
    return false;
  }
  bool answer = AskAnswers.front();
  AskAnswers.pop_front();
  return answer;
}

bool TScriptedPlatform::ExecDialog(QDialog& dialog) {
  DialogTitles.push_back(dialog.windowTitle().toStdString());
  if (DialogScripts.empty()) {
    Unexpected.push_back("dialog: " + dialog.windowTitle().toStdString());
    return false;
  }
  auto script = DialogScripts.front();
  DialogScripts.pop_front();
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
