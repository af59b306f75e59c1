// The code file writer: the Coded dots of one encoded picture as text, CR LF line ends.
#include <algorithm>
#include <cmath>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codecheck.h"
#include "encode/Encode.h"

void TEncode::SaveCodes(const std::string& fileName) {
  // A scale factor the file cannot carry would be refused by every reader, or turn every
  // position into 0: refused here, before the previous file is touched.
  for (float scale : {FScaleX, FScaleY})
    if (!std::isfinite(scale) || !(scale > 0))
      throw TError("Cannot save \"" + fileName +
                   "\": the scale factors must be finite and positive, not " +
                   FloatToStr(static_cast<double>(FScaleX)) + " and " +
                   FloatToStr(static_cast<double>(FScaleY)));
  // Two dots with one grid position (a second walk over an encoded job, a hand correction)
  // would pair one of them wrongly, so no reader accepts such a file: it is not written.
  const TCodeCheck check = CheckCodes(FDotInfo, FDotSum);
  if (check.First >= 0)
    throw TError(
        Format("Cannot save \"%s\": dots %d and %d have the same grid position (%d , "
               "%d); give one of them other indices",
               fileName.c_str(), check.First, check.Second, check.Nx, check.Ny));
  TAtomicFile file(fileName);
  if (!file.Open())
    throw TError("file open error:Can create file " + fileName + " (" + file.ErrorText() + ")");
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  FCodedSum = 0;
  for (int32_t i = 0; i < count; ++i)
    if (FDotInfo[i].Coded) ++FCodedSum;
  file.Printf("VRKT-FS\r\n");
  file.Printf("%d %d %d\r\n", FCodedSum, FImage->Width(), FImage->Height());
  file.Printf("%d  %d  %s  %s  %d\r\n", FMaxNx, FMaxNy, CodeScaleText(FScaleX).c_str(),
              CodeScaleText(FScaleY).c_str(), FBackground);
  // "%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n" a dot, without printf's cost per number.
  std::string line;
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& dot = FDotInfo[i];
    if (!dot.Coded) continue;
    line.clear();
    AppendInt(line, i, 3);
    line += "   ";
    AppendFixed(line, static_cast<double>(dot.x), 8, 3);
    line += "  ";
    AppendFixed(line, static_cast<double>(dot.y), 8, 3);
    line += "   ";
    AppendInt(line, dot.Nx, 3);
    line += "  ";
    AppendInt(line, dot.Ny, 3);
    line += "  ";
    AppendInt(line, dot.Area, 3);
    line += "\r\n";
    file.Write(line);
  }
  file.Printf("%s\r\n", PrintableText(ExtractFileName(FImage->FileName())).c_str());
  file.Commit();
}
