#include "support/CommaLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

bool CommaInForce() {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  return std::string(text) == "1,5";
}

}  // namespace

TCommaLocale::TCommaLocale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr && CommaInForce()) return;
  FFolder = (std::filesystem::temp_directory_path() / "latticor-locale-XXXXXX").string();
  if (::mkdtemp(FFolder.data()) == nullptr) {
    FProblem = "no folder for a private locale";
    FFolder.clear();
    return;
  }
  const std::string command =
      "localedef -i de_DE -f UTF-8 " + FFolder + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) {
    FProblem = "localedef cannot build de_DE.UTF-8";
    return;
  }
  ::setenv("LOCPATH", FFolder.c_str(), 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr || !CommaInForce())
    FProblem = "the generated de_DE.UTF-8 locale does not load";
}

TCommaLocale::~TCommaLocale() {
  std::setlocale(LC_ALL, "C");
  if (!FFolder.empty()) {
    ::unsetenv("LOCPATH");
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
}
