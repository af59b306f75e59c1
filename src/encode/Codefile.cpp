// The code file writer: the Coded dots of one encoded picture as text, CR LF line ends.
#include "encode/Codefile.h"

#include <algorithm>
#include <cmath>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codecheck.h"
#include "encode/Encode.h"

TCodeHeader CodeHeaderOf(const TEncode& job) {
  TCodeHeader header;
  header.Width = job.Image().Width();
  header.Height = job.Image().Height();
  header.MaxNx = job.MaxNx();
  header.MaxNy = job.MaxNy();
  header.ScaleX = job.ScaleX();
  header.ScaleY = job.ScaleY();
  header.Background = job.Background();
  header.ImageName = job.Image().FileName();
  header.Mark = job.CodeMark();
  return header;
}

std::string CodeFileText(const TCodeHeader& header, const std::vector<TDotInfo>& dots,
                         int32_t count) {
  count = std::clamp(count, 0, static_cast<int32_t>(dots.size()));
  int32_t coded = 0;
  for (int32_t i = 0; i < count; ++i)
    if (dots[static_cast<size_t>(i)].Coded) ++coded;
  std::string text = "VRKT-FS" + header.Mark + "\r\n";
  text += Format("%d %d %d\r\n", coded, header.Width, header.Height);
  text += Format("%d  %d  %s  %s  %d\r\n", header.MaxNx, header.MaxNy,
                 CodeScaleText(header.ScaleX).c_str(), CodeScaleText(header.ScaleY).c_str(),
                 header.Background);
  // "%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n" a dot, without printf's cost per number.
  text.reserve(text.size() + static_cast<size_t>(coded) * 52 + header.ImageName.size() + 2);
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& dot = dots[static_cast<size_t>(i)];
    if (!dot.Coded) continue;
    AppendInt(text, i, 3);
    text += "   ";
    AppendFixed(text, static_cast<double>(dot.x), 8, 3);
    text += "  ";
    AppendFixed(text, static_cast<double>(dot.y), 8, 3);
    text += "   ";
    AppendInt(text, dot.Nx, 3);
    text += "  ";
    AppendInt(text, dot.Ny, 3);
    text += "  ";
    AppendInt(text, dot.Area, 3);
    text += "\r\n";
  }
  text += PrintableText(ExtractFileName(header.ImageName)) + "\r\n";
  return text;
}

void SaveCodeFile(const std::string& fileName, const TCodeHeader& header,
                  const std::vector<TDotInfo>& dots, int32_t count) {
  // A scale factor the file cannot carry would be refused by every reader, or turn every
  // position into 0: refused here, before the previous file is touched.
  for (float scale : {header.ScaleX, header.ScaleY})
    if (!std::isfinite(scale) || !(scale > 0))
      throw TError("Cannot save \"" + fileName +
                   "\": the scale factors must be finite and positive, not " +
                   FloatToStr(static_cast<double>(header.ScaleX)) + " and " +
                   FloatToStr(static_cast<double>(header.ScaleY)));
  // Two dots with one grid position (a second walk over an encoded job, a hand correction)
  // would pair one of them wrongly, so no reader accepts such a file: it is not written.
  const TCodeCheck check = CheckCodes(dots, count);
  if (check.First >= 0)
    throw TError(
        Format("Cannot save \"%s\": dots %d and %d have the same grid position (%d , "
               "%d); give one of them other indices",
               fileName.c_str(), check.First, check.Second, check.Nx, check.Ny));
  TAtomicFile file(fileName);
  if (!file.Open())
    throw TError("file open error:Can create file " + fileName + " (" + file.ErrorText() + ")");
  file.Write(CodeFileText(header, dots, count));
  file.Commit();
}

void TEncode::SaveCodes(const std::string& fileName) {
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  FCodedSum = 0;
  for (int32_t i = 0; i < count; ++i)
    if (FDotInfo[static_cast<size_t>(i)].Coded) ++FCodedSum;
  SaveCodeFile(fileName, CodeHeaderOf(*this), FDotInfo, count);
}
