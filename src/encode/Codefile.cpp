// The code file: written from the Coded dots of one encoded picture as text with CR LF line
// ends, and read back by the format's reading rules.
#include "encode/Codefile.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>
#include <utility>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/CodeFileText.h"
#include "encode/CodeReader.h"
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

namespace {

// A dot row is six values, each with at least one separator before it.
constexpr int64_t MinRowBytes = 12;
// How far the file is read: its header must lie in the first HeadBytes, and each announced row
// may take up to RowBytes (the writer's rows take about 50), the image name NameBytes.
constexpr size_t HeadBytes = 1 << 16;
constexpr int64_t RowBytes = 256;
constexpr int64_t NameBytes = 1 << 13;
// Some editors begin a UTF-8 text with a byte-order mark.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The line of the file on which the next value after position begins, counted from 1.
int64_t LineAt(std::string_view text, size_t position) {
  TCodeReader reader(text, position);
  reader.Word();
  const size_t end = reader.Position();
  int64_t line = 1;
  for (size_t i = 0; i < end && i < text.size(); ++i) line += text[i] == '\n';
  // The word itself holds no line break: the count up to its end is its line.
  return line;
}

// Where dot row k begins, the rows before it being sound (they were read once already).
size_t RowStart(std::string_view text, size_t body, int32_t k) {
  TCodeReader reader(text, body);
  for (int32_t row = 0; row < k; ++row)
    for (int value = 0; value < 6; ++value) reader.Word();
  return reader.Position();
}

// The reading rules on a file or a text, path naming it in messages.
TCodeFileContent ParseCodeFile(TCodeFileText& file, const std::string& path) {
  // The magic word is checked on the file's first bytes, before anything else is read.
  file.ReadUpTo(HeadBytes);
  const size_t start = file.Text().starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
  TCodeReader head(file.Text(), start);
  // Only the first seven characters count, so a longer word that begins with them is accepted.
  const std::string_view magic = head.Word();
  if (magic.substr(0, 7) != "VRKT-FS") throw TError(path + " is not a code file!");

  const std::string readError = " Read data error from code file: \n" + path;
  TCodeFileContent c;
  c.Mark = std::string(magic.substr(7));
  int32_t maxNx = 0, maxNy = 0;
  if (!head.Int(c.DotSum) || !head.Int(c.Width) || !head.Int(c.Height) || !head.Int(maxNx) ||
      !head.Int(maxNy) || !head.Float(c.ScaleX) || !head.Float(c.ScaleY) || !head.Int(c.Background))
    throw TError(readError);
  // The rest of the file as far as the announced rows and the name can reach.
  const size_t body = head.Position();
  if (c.DotSum >= 0) file.ReadUpTo(body + static_cast<size_t>(c.DotSum * RowBytes + NameBytes));
  TCodeReader reader(file.Text(), body);
  // A count the rest of the file cannot hold is refused before anything is allocated for it.
  if (c.DotSum < 0 || c.DotSum * MinRowBytes > static_cast<int64_t>(reader.Remaining()))
    throw TError(readError);

  try {
    c.Dots.assign(static_cast<size_t>(c.DotSum), TDotInfo{});
    // Raises its own message; a range far beyond the dots keeps only their positions.
    c.Table = std::make_unique<TCoordinate>(maxNx, maxNy, c.DotSum);
  } catch (const std::bad_alloc&) {
    throw TError(" No enought memory to allocate dotinfo and coordinate");
  }

  for (int32_t k = 0; k < c.DotSum; ++k) {
    // The row's own number is read and dropped: a dot is known by its row position.
    int32_t number = 0, nx = 0, ny = 0, area = 0;
    float x = 0, y = 0;
    const size_t rowStart = reader.Position();
    // A failed row ends loading: no later row could be read past the value that failed.
    if (!reader.Int(number) || !reader.Float(x) || !reader.Float(y) || !reader.Int(nx) ||
        !reader.Int(ny) || !reader.Int(area))
      throw TError(readError);
    // Two dots at one position would pair one of them with a dot it is not: the file cannot
    // be trusted, and which row is right only its author can tell.
    if (const int32_t earlier = c.Table->Contains(nx, ny) ? c.Table->GetIndex(nx, ny) : -1;
        earlier >= 0)
      throw TError(
          Format("%s: the dots on lines %lld and %lld have the same grid position (%d , "
                 "%d); each position holds one dot",
                 path.c_str(),
                 static_cast<long long>(LineAt(file.Text(), RowStart(file.Text(), body, earlier))),
                 static_cast<long long>(LineAt(file.Text(), rowStart)), nx, ny));
    c.Table->SetIndex(nx, ny, k);
    TDotInfo& dot = c.Dots[static_cast<size_t>(k)];
    dot.Nx = nx;
    dot.Ny = ny;
    dot.Area = area;
    dot.Neted = true;
    dot.Coded = true;
    dot.x = x;
    dot.y = y;
    // A position that scaling carries beyond the float range cannot be a measured dot.
    if (!std::isfinite(x * c.ScaleX) || !std::isfinite(y * c.ScaleY)) throw TError(readError);
  }

  // The image name is the next word, kept whole; a file ending before it leaves it empty.
  c.ImageName = std::string(reader.Word());
  return c;
}

}  // namespace

TCodeFileContent ReadCodeFile(const std::string& path) {
  TCodeFileText file(path);
  return ParseCodeFile(file, path);
}

TCodeFileContent ReadCodeFileText(std::string text, const std::string& name) {
  TCodeFileText file(TCodeFileText::TInMemory{}, std::move(text), name);
  return ParseCodeFile(file, name);
}
