#include "encode/Encode.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/Error.h"
#include "base/Surface.h"

namespace {

std::unique_ptr<TGrayImage> LoadEncodeImage(const std::string& fileName) {
  auto image = std::make_unique<TGrayImage>(fileName);
  if (image->Width() <= 0 || image->Height() <= 0) throw TError("Can not open Encode image file");
  return image;
}

std::unique_ptr<TGrayImage> CheckEncodeImage(std::unique_ptr<TGrayImage> image) {
  if (!image || image->Size() <= 0 || image->Data() == nullptr)
    throw TError("Can not open Encode image file");
  return image;
}

}  // namespace

TEncode::TEncode(const std::string& fileName, bool whiteDots, bool draw, int32_t maxNx,
                 int32_t maxNy)
    : TEncode(LoadEncodeImage(fileName), whiteDots, draw, maxNx, maxNy) {}

TEncode::TEncode(std::unique_ptr<TGrayImage> image, bool whiteDots, bool draw, int32_t maxNx,
                 int32_t maxNy)
    : FImage(CheckEncodeImage(std::move(image))), FCoordinate(maxNx, maxNy) {
  Init(whiteDots, draw);
  FMaxNx = maxNx;
  FMaxNy = maxNy;
}

void TEncode::Init(bool whiteDots, bool draw) {
  FBackground = whiteDots ? 0 : 255;
  FDotSum = 0;
  FTotalArea = 0;
  FAreaThreshold = 0;
  FDraw = draw;
  FHighlight = true;
  FSelected = -1;
  FScaleX = FScaleY = 1.0f;
  FDelay = 0;
  FPause = nullptr;
}

int32_t TEncode::AutoLeastArea(const std::string& fileName, bool whiteDots) {
  TEncode job(fileName, whiteDots, false, 1, 1);
  job.PrepareImage(nullptr);
  return LeastAreaOfMean(job.FAreaThreshold);
}

int32_t TEncode::LeastAreaOfMean(int32_t meanArea) {
  return (2 * meanArea) / 3;
}

// ---------------------------------------------------------------------------------------------
// Backup and fills

// The backup is made on the first save only: the extraction and the walk undo their own
// erasures, so a run needs no second copy of a picture that may be gigabytes large.
void TEncode::SaveBackup() {
  try {
    BackupImage.resize(static_cast<size_t>(FImage->Size()));
  } catch (const std::bad_alloc&) {
    throw TError("Cannot allocate more memory for BackupImage");
  }
  std::memcpy(BackupImage.data(), FImage->Data(), BackupImage.size());
}

void TEncode::RestoreBackup() {
  if (BackupImage.size() != static_cast<size_t>(FImage->Size()))
    throw TError("Have not  allocated memory for BackupImage");
  std::memcpy(FImage->Data(), BackupImage.data(), BackupImage.size());
}

void TEncode::FloodFill(int32_t x, int32_t y) {
  Fill(x, y, TFillKind::Flood, true);
}

void TEncode::CentroidFill(int32_t x, int32_t y, bool paint) {
  Fill(x, y, TFillKind::Centroid, paint);
}

void TEncode::HighlightFill(int32_t x, int32_t y) {
  Fill(x, y, TFillKind::Highlight, false);
}

// An explicit stack instead of one call per pixel: a blob may be as large as the picture. Each
// pixel is erased when it is pushed, so it is visited once; the erased set and the sums are
// those of any visiting order.
void TEncode::Fill(int32_t x, int32_t y, TFillKind kind, bool paint) {
  const int32_t w = FImage->Width(), h = FImage->Height();
  if (x < 0 || y < 0 || x >= w || y >= h) FImage->GetPixel(x, y);  // raises the range error
  uint8_t* data = FImage->Data();
  const uint8_t bg = FBackground;
  const bool toCanvas = paint && Painting();
  const bool red = kind == TFillKind::Highlight && FHighlight && FOffCanvas != nullptr;
  const TColor gray = GrayColor(bg);
  auto erase = [&](int64_t offset) {
    if (FRecordUndo) FUndo.emplace_back(static_cast<uint32_t>(offset), data[offset]);
    const uint8_t p = data[offset];
    data[offset] = bg;
    FFillStack.push_back(static_cast<uint32_t>(offset));
    if (kind == TFillKind::Highlight) return;
    ++FArea;
    if (kind == TFillKind::Centroid) {
      const int64_t weight = p ^ bg;
      FSumX += weight * (offset % w);
      FSumY += weight * (offset / w);
      FSumW += weight;
    }
  };
  const int64_t start = static_cast<int64_t>(y) * w + x;
  if (data[start] == bg) return;
  FFillStack.clear();
  erase(start);
  while (!FFillStack.empty()) {
    const int64_t offset = FFillStack.back();
    FFillStack.pop_back();
    const int32_t px = static_cast<int32_t>(offset % w), py = static_cast<int32_t>(offset / w);
    if (toCanvas) FCanvas->SetPixel(px, py, gray);
    if (red) FOffCanvas->SetPixel(px, py, clRed);
    for (int32_t dy = -1; dy <= 1; ++dy) {
      if (py + dy < 0 || py + dy >= h) continue;
      for (int32_t dx = -1; dx <= 1; ++dx) {
        if (px + dx < 0 || px + dx >= w) continue;
        const int64_t n = offset + static_cast<int64_t>(dy) * w + dx;
        if (data[n] != bg) erase(n);
      }
    }
  }
}

// Puts back every pixel erased while recording; the picture is as before the first fill.
void TEncode::UndoFills() {
  uint8_t* data = FImage->Data();
  for (auto it = FUndo.rbegin(); it != FUndo.rend(); ++it) data[it->first] = it->second;
  FUndo.clear();
  FRecordUndo = false;
}

void TEncode::Redraw() const {
  FImage->Repaint(FCanvas);
}

// ---------------------------------------------------------------------------------------------
// Dot extraction. One labelling of the picture gives every blob's area, sums, first pixel and
// border contact; the steps below take their results from it instead of filling blob by blob.
// It stays valid while FImage keeps the fingerprint it had when labelled (or after the blobs it
// removes itself).

uint64_t TEncode::ImagePrint() const {
  return PixelFingerprint(FImage->Data(), static_cast<size_t>(FImage->Size()));
}

void TEncode::EnsureScan() {
  if (FScanValid && ImagePrint() == FScanPrint) return;
  FScan.Scan(FImage->Data(), FImage->Width(), FImage->Height(), FBackground);
  FScanPrint = ImagePrint();
  FScanValid = true;
}

std::vector<int32_t> TEncode::LiveBlobAreas() {
  EnsureScan();
  std::vector<int32_t> areas;
  areas.reserve(FScan.Blobs().size());
  // A blob cut by the picture's edge says nothing of the dots' size (a picture kept with its
  // border blobs may hold a large one, such as noise segmented beside the grid).
  for (const TBlobScan::TBlob& b : FScan.Blobs())
    if (!b.Erased && !b.Border) areas.push_back(b.Area);
  return areas;
}

// Erases the blobs marked in remove from FImage, keeping the labelling valid, and flags them as
// erased.
void TEncode::RemoveBlobs(const std::vector<char>& remove) {
  uint8_t* image = FImage->Data();
  const size_t w = static_cast<size_t>(FImage->Width());
  std::vector<TBlobScan::TBlob>& blobs = FScan.Blobs();
  for (int32_t y = 0; y < FScan.Height(); ++y)
    for (const TBlobScan::TRun* r = FScan.RowBegin(y); r != FScan.RowEnd(y); ++r) {
      if (!remove[r->Blob] || blobs[r->Blob].Erased) continue;
      const size_t offset = y * w + r->X0;
      const size_t length = static_cast<size_t>(r->X1 - r->X0 + 1);
      std::memset(image + offset, FBackground, length);
    }
  for (size_t b = 0; b < blobs.size(); ++b)
    if (remove[b]) blobs[b].Erased = true;
  FScanPrint = ImagePrint();
}

// Paints every pixel of the blobs still in the picture in the background gray, as the fills
// that count them do.
void TEncode::PaintBlobs() {
  if (!Painting()) return;
  const TColor gray = GrayColor(FBackground);
  for (int32_t y = 0; y < FScan.Height(); ++y)
    for (const TBlobScan::TRun* r = FScan.RowBegin(y); r != FScan.RowEnd(y); ++r) {
      if (FScan.Blobs()[r->Blob].Erased) continue;
      for (int32_t x = r->X0; x <= r->X1; ++x) FCanvas->SetPixel(x, y, gray);
    }
}

// FDotSum and FTotalArea of the blobs still in the picture.
void TEncode::CountLiveBlobs() {
  int32_t count = 0;
  int64_t total = 0;
  for (const TBlobScan::TBlob& b : FScan.Blobs()) {
    if (b.Erased) continue;
    ++count;
    total += b.Area;
  }
  FDotSum = count;
  FTotalArea = static_cast<int32_t>(total);  // at most the pixel count
}

void TEncode::ClearBorder() {
  EnsureScan();
  ClearBorderBlobs();
}

void TEncode::ClearBorderBlobs() {
  std::vector<char> remove(FScan.Blobs().size(), 0);
  bool any = false;
  for (size_t b = 0; b < remove.size(); ++b) {
    const TBlobScan::TBlob& blob = FScan.Blobs()[b];
    if (blob.Border && !blob.Erased) remove[b] = any = true;
  }
  if (!any) return;
  if (Painting()) {
    const TColor gray = GrayColor(FBackground);
    for (int32_t y = 0; y < FScan.Height(); ++y)
      for (const TBlobScan::TRun* r = FScan.RowBegin(y); r != FScan.RowEnd(y); ++r)
        if (remove[r->Blob] && !FScan.Blobs()[r->Blob].Erased)
          for (int32_t x = r->X0; x <= r->X1; ++x) FCanvas->SetPixel(x, y, gray);
  }
  RemoveBlobs(remove);
}

void TEncode::CountBlobs() {
  EnsureScan();
  CountLiveBlobs();
  PaintBlobs();
  // Counting erases every blob from the picture; the backup keeps them.
  uint8_t* image = FImage->Data();
  const size_t w = static_cast<size_t>(FImage->Width());
  for (int32_t y = 0; y < FScan.Height(); ++y)
    for (const TBlobScan::TRun* r = FScan.RowBegin(y); r != FScan.RowEnd(y); ++r)
      std::memset(image + y * w + r->X0, FBackground, static_cast<size_t>(r->X1 - r->X0 + 1));
}

void TEncode::PrepareImage(TSurface* canvas, bool clearBorder) {
  FCanvas = canvas;
  EnsureScan();
  // Clearing the border and counting the rest paint every blob pixel in the background gray.
  PaintBlobs();
  if (clearBorder) {
    ClearBorderBlobs();
    CountLiveBlobs();
  } else {
    FDotSum = 0, FTotalArea = 0;
    for (const TBlobScan::TBlob& b : FScan.Blobs())
      if (!b.Erased && !b.Border) ++FDotSum, FTotalArea += b.Area;
  }
  // With no blob left the mean area is 0 rather than a division by zero.
  FAreaThreshold = FDotSum > 0 ? FTotalArea / FDotSum : 0;
}

void TEncode::RemoveNoise(TSurface* canvas) {
  FCanvas = canvas;
  EnsureScan();
  CountLiveBlobs();
  if (FAreaThreshold < 0) FAreaThreshold = 10;
  std::vector<char> remove(FScan.Blobs().size(), 0);
  int32_t small = 0;
  for (size_t b = 0; b < remove.size(); ++b) {
    const TBlobScan::TBlob& blob = FScan.Blobs()[b];
    if (!blob.Erased && blob.Area < FAreaThreshold) {
      remove[b] = 1;
      ++small;
    }
  }
  if (small > 0) RemoveBlobs(remove);
  FDotSum -= small;
  Redraw();
  if (FDotSum <= 0)
    throw TError("No dots in this image\nmay be you should give a small noise threshold");
}

void TEncode::BuildDotInfo(TSurface* canvas) {
  FCanvas = canvas;
  FGridValid = false;
  try {
    FDotInfo.clear();
    FDotInfo.shrink_to_fit();
    FDotInfo.resize(static_cast<size_t>(std::max(FDotSum, 0)));
  } catch (const std::bad_alloc&) {
    throw TError(" No more memory for FDotInfo ");
  }
  InitDotInfo();
  CollectDots();
}

void TEncode::InitDotInfo() {
  FGridValid = false;
  for (TDotInfo& dot : FDotInfo) {
    dot.Nx = dot.Ny = 0;
    dot.Coded = dot.Neted = false;
    for (int32_t& n : dot.Neighbour) n = -1;
  }
}

void TEncode::CollectDots() {
  FGridValid = false;
  FDotIndex = 0;
  EnsureScan();
  for (const TBlobScan::TBlob& blob : FScan.Blobs()) {
    if (blob.Erased || blob.Area < FAreaThreshold) continue;
    if (FDotIndex >= FDotSum) {
      ++FDotIndex;
      Redraw();
      throw TError("May be some dots are error, because FDotIndex > FDotSum");
    }
    TDotInfo& dot = FDotInfo[FDotIndex++];
    dot.x = static_cast<float>(static_cast<double>(blob.SumX) / static_cast<double>(blob.SumW));
    dot.y = static_cast<float>(static_cast<double>(blob.SumY) / static_cast<double>(blob.SumW));
    dot.Coded = dot.Neted = false;
    dot.Area = blob.Area;
  }
  Redraw();
}

void TEncode::AddDot(int32_t x, int32_t y) {
  FGridValid = false;
  FArea = 0;
  FSumX = FSumY = FSumW = 0;
  CentroidFill(x, y);
  if (FArea < FAreaThreshold || FSumW == 0) return;
  if (FDotIndex < static_cast<int32_t>(FDotInfo.size())) {
    TDotInfo& dot = FDotInfo[FDotIndex];
    dot.x = static_cast<float>(static_cast<double>(FSumX) / static_cast<double>(FSumW));
    dot.y = static_cast<float>(static_cast<double>(FSumY) / static_cast<double>(FSumW));
    dot.Coded = dot.Neted = false;
    dot.Area = FArea;
  }
  ++FDotIndex;
  if (FDotIndex > FDotSum) throw TError("May be some dots are error, because FDotIndex > FDotSum");
}
