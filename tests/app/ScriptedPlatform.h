#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Platform.h"

// Platform services with answers given in advance, recording everything asked of them. A
// question without a prepared answer is recorded in Unexpected and answered with Cancel/No.
class TScriptedPlatform : public TPlatform {
 public:
  struct TFileRequest {
    bool Save = false;
    std::string Title;
    int FilterIndex = 0;
    std::string Dir;
    std::string ProposedName;
    std::string DefaultExt;
  };

  std::deque<std::optional<std::string>> FileAnswers;
  std::vector<TFileRequest> FileRequests;
  std::deque<std::optional<std::string>> FolderAnswers;
  std::vector<std::string> FolderCaptions;
  std::vector<std::string> FolderDirs;
  std::deque<bool> AskAnswers;
  std::vector<std::string> Questions;
  // A script works the shown dialog as a person would and ends it with its OK or Cancel
  // button; a dialog still open afterwards counts as cancelled.
  std::deque<std::function<void(QDialog&)>> DialogScripts;
  std::vector<std::string> DialogTitles;
  std::vector<std::string> Errors;
  std::vector<std::string> Notices;
  std::vector<std::string> Urls;
  std::vector<int> Sleeps;
  int Beeps = 0;
  std::vector<std::string> Unexpected;
  std::string UnexpectedText() const;
  bool AllAnswersUsed() const {
    return FileAnswers.empty() && FolderAnswers.empty() && AskAnswers.empty() &&
           DialogScripts.empty();
  }

  std::optional<std::string> OpenFile(const std::string& title, int filterIndex,
                                      const std::string& dir,
                                      const std::string& proposedName) override;
  std::optional<std::string> SaveFile(const std::string& title, int filterIndex,
                                      const std::string& dir, const std::string& proposedName,
                                      const std::string& defaultExt) override;
  std::optional<std::string> ChooseFolder(const std::string& caption,
                                          const std::string& dir = "") override;
  bool Ask(const std::string& text) override;
  // Called with every error before it is recorded, to look at the window as the box opens.
  std::function<void(const std::string&)> OnError;
  void ShowError(const std::string& text) override {
    if (OnError) OnError(text);
    Errors.push_back(text);
  }
  void ShowNotice(const std::string& text) override { Notices.push_back(text); }
  void Beep() override { ++Beeps; }
  // Called with every pause before it is recorded; nothing waits.
  std::function<void(int)> OnSleep;
  void Sleep(int milliseconds) override {
    if (OnSleep) OnSleep(milliseconds);
    Sleeps.push_back(milliseconds);
  }
  void OpenUrl(const std::string& url) override { Urls.push_back(url); }
  bool ExecDialog(QDialog& dialog) override;
};
