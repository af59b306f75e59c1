#pragma once

#include <string>

// Switches the process to a locale with a decimal comma (de_DE.UTF-8), as the desktop does for
// a German user, generating it with localedef into a private folder when the machine has none.
// Returns an empty text on success, else why it is not available (the test then skips).
// The C locale comes back when the object goes away.
class TCommaLocale {
 public:
  TCommaLocale();
  ~TCommaLocale();
  TCommaLocale(const TCommaLocale&) = delete;
  TCommaLocale& operator=(const TCommaLocale&) = delete;

  const std::string& Problem() const { return FProblem; }

 private:
  std::string FProblem;
  std::string FFolder;
};
