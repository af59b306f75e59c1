// A code file opened for viewing (the command line's ".cod" file): its dots, marked and labelled
// with their grid indices, over the picture it was encoded from.
#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "app/view/Paintbox.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codefile.h"

void TMainForm::OpenCodeFile(const std::string& fileName) {
  TCodeFileContent content = ReadCodeFile(fileName);
  // The file names its picture without a folder; it is looked for beside the file.
  const std::string name = ExtractFileName(content.ImageName);
  const std::string folder = fileName.substr(0, fileName.size() - ExtractFileName(fileName).size());
  if (name.empty())
    throw TError("The code file " + fileName +
                 " names no picture, so its dots cannot be shown over one.");
  const std::string picture = folder + name;
  if (!FileExists(picture))
    throw TError("The code file " + fileName + " was encoded from the picture \"" + name +
                 "\", which is not in " + (folder.empty() ? "./" : folder) +
                 ". Put the picture beside the code file to see the dots over it.");
  DisplayImage(picture);
  FCodeViewDots = std::move(content.Dots);
  FWorkflow.FCodeFileName = fileName;
  RememberRecent("code", fileName);
  PaintBoxPaint();
  std::string report =
      ExtractFileName(fileName) + ": " + IntToStr(content.DotSum) + " dots over " + name + ".";
  if (content.Width != FWorkflow.FDisplayImage->Width() ||
      content.Height != FWorkflow.FDisplayImage->Height())
    report += " The picture is " + IntToStr(FWorkflow.FDisplayImage->Width()) + " x " +
              IntToStr(FWorkflow.FDisplayImage->Height()) + ", the code file says " +
              IntToStr(content.Width) + " x " + IntToStr(content.Height) + ".";
  Report(report);
}

void TMainForm::DrawCodeViewDots() {
  TSurface& surface = ViewSurface();
  const int32_t w = surface.Width(), h = surface.Height();
  const auto pixel = [](float v, int32_t size) {
    return static_cast<int32_t>(std::floor(std::clamp<double>(v, -8, size + 8.0)));
  };
  // Every dot gets its mark and its label; the view keeps the labels apart at the screen's
  // resolution, showing fewer where they would collide and all of them zoomed in.
  for (const TDotInfo& dot : FCodeViewDots) {
    const int32_t x = pixel(dot.x, w), y = pixel(dot.y, h);
    surface.Line(x - 3, y, x + 4, y, clRed);
    surface.Line(x, y - 3, x, y + 4, clRed);
    surface.TextOut(x + 2, y + 2, Format("(%d,%d)", dot.Nx, dot.Ny));
  }
}
