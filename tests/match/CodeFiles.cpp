#include "CodeFiles.h"

#include "base/Convert.h"
#include "base/Error.h"
#include "support/Checks.h"

std::string CodeFileText(const TTestCodeFile& file) {
  std::string text = "VRKT-FS\r\n";
  text += Format("%zu %d %d\r\n", file.Dots.size(), file.Width, file.Height);
  text += Format("%d  %d  %s  %s  %d\r\n", file.MaxNx, file.MaxNy, file.ScaleX.c_str(),
                 file.ScaleY.c_str(), file.Background);
  for (const TTestDot& dot : file.Dots)
    text += Format("%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n", dot.Number, dot.X, dot.Y, dot.Nx,
                   dot.Ny, dot.Area);
  text += file.ImageName + "\r\n";
  return text;
}

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}
