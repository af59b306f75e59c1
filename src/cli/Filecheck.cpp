#include "cli/Filecheck.h"

#include "base/Bmp.h"
#include "base/Path.h"
#include "image/Grayimage.h"

void CheckFiles(const std::vector<TCommandFile>& inputs, const std::vector<TCommandFile>& outputs,
                bool force) {
  std::vector<TCommandFile> given;
  for (const TCommandFile& f : outputs)
    if (!f.Path.empty()) given.push_back(f);
  const TFileCheck check = CheckCommandFiles(inputs, given, force);
  if (check.Status == 2) throw TUsageError(check.Message);
  if (check.Status != 0) throw TError(check.Message);
}

void CheckPictureOutput(const std::string& path, int64_t width, int64_t height) {
  const std::string ext = LowerCase(ExtractFileExt(path));
  if (ext != ".bmp" && ext != ".raw") throw TError("only support raw and bmp files");
  CheckImageSize(width, height, "The picture \"" + path + "\"");
  if (ext == ".bmp" && !BitmapFits(width, height)) throw TError(BitmapTooLargeText(path));
}
