// The encoding display: red marks and labels for the dots on the drawing surface.
#include <algorithm>
#include <cmath>

#include "base/Convert.h"
#include "base/Surface.h"
#include "encode/Encode.h"

int32_t TEncode::FirstUnNeted() const {
  for (int32_t i = 0; i < FDotSum && i < static_cast<int32_t>(FDotInfo.size()); ++i)
    if (!FDotInfo[i].Neted) return i;
  return -1;
}

std::string TEncode::DotLabel(int32_t i) const {
  const TDotInfo& dot = FDotInfo[i];
  if (dot.Coded) return Format("%d(%d,%d)", i, dot.Nx, dot.Ny);
  return Format("%d(%5.2f,%5.2f)", i, static_cast<double>(dot.x), static_cast<double>(dot.y));
}

bool TEncode::ShowUnNeted(TSurface* canvas) {
  if (FirstUnNeted() < 0) return false;
  FCanvas = canvas;
  if (canvas == nullptr) return true;  // nothing to show it on
  // The picture, the red blobs and their labels are drawn straight onto the surface: it shows
  // nothing until the next repaint, so no separate picture is needed to avoid flicker, and a
  // large image is not copied twice.
  FOffCanvas = canvas;
  FImage->Repaint(FOffCanvas);
  FUndo.clear();
  FRecordUndo = true;
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  try {
    for (int32_t i = 0; i < count; ++i) {
      if (FDotInfo[i].Neted) continue;
      HighlightFill(static_cast<int32_t>(FDotInfo[i].x), static_cast<int32_t>(FDotInfo[i].y));
      FOffCanvas->TextOut(static_cast<int32_t>(FDotInfo[i].x), static_cast<int32_t>(FDotInfo[i].y),
                          DotLabel(i));
    }
  } catch (...) {
    UndoFills();
    FOffCanvas = nullptr;
    throw;
  }
  FOffCanvas = nullptr;
  UndoFills();
  return true;
}

void TEncode::ShowPosition() {
  ShowUnNeted(FCanvas);
  if (FCanvas == nullptr) return;
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  for (int32_t i = 0; i < count; ++i)
    FCanvas->TextOut(static_cast<int32_t>(FDotInfo[i].x), static_cast<int32_t>(FDotInfo[i].y),
                     DotLabel(i));
}

bool TEncode::MarkStillShown(const TSurface* canvas) const {
  return canvas != nullptr && canvas == FMark.Canvas && canvas->Stamp() == FMark.CanvasStamp &&
         FImage.get() == FMark.Image && FImage->Edits() == FMark.ImageStamp;
}

// Drawn straight onto the surface as ShowUnNeted does. A pick redraws the whole picture only
// when the surface may show more than the last mark: on a large picture that costs far more
// than the mark itself.
void TEncode::ShowPicture(bool keepPicture) {
  if (FCanvas == nullptr) return;
  const TGrayImage& picture = *FImage;
  if (keepPicture) {
    const TSurface::TBox& a = FMark.Area;
    for (int32_t y = a.Top; y < a.Bottom; ++y)
      FCanvas->DrawGrayRow(a.Left, y, picture.Row(y) + a.Left, a.Right - a.Left);
  } else {
    picture.Repaint(FCanvas);
  }
  FMark = TMark{FCanvas, FCanvas->Stamp(), FImage.get(), FImage->Edits(), {}};
}

void TEncode::Highlight(int32_t s, int32_t px, int32_t py, bool keepPicture) {
  if (FCanvas == nullptr) return;
  ShowPicture(keepPicture);
  FOffCanvas = FCanvas;
  const TGrayImage& picture = *FImage;
  FUndo.clear();
  FRecordUndo = true;
  HighlightFill(px, py);
  // The blob's bounds, from the pixels the fill erased, and the label's.
  const int32_t w = picture.Width();
  const std::string label = DotLabel(s);
  const int32_t lx = static_cast<int32_t>(FDotInfo[s].x), ly = static_cast<int32_t>(FDotInfo[s].y);
  TSurface::TBox area = FOffCanvas->TextBox(lx, ly, label);
  for (const auto& [offset, value] : FUndo) {
    const int32_t x = static_cast<int32_t>(offset % static_cast<uint32_t>(w));
    const int32_t y = static_cast<int32_t>(offset / static_cast<uint32_t>(w));
    area.Left = std::min(area.Left, x);
    area.Top = std::min(area.Top, y);
    area.Right = std::max(area.Right, x + 1);
    area.Bottom = std::max(area.Bottom, y + 1);
  }
  UndoFills();
  FOffCanvas->TextOut(lx, ly, label);
  FOffCanvas = nullptr;
  area.Left = std::max(area.Left, 0);
  area.Top = std::max(area.Top, 0);
  area.Right = std::min({area.Right, w, FCanvas->Width()});
  area.Bottom = std::min({area.Bottom, picture.Height(), FCanvas->Height()});
  FMark = TMark{FCanvas, FCanvas->Stamp(), FImage.get(), FImage->Edits(), area};
}

bool TEncode::SelectDot(int32_t index, TSurface* canvas) {
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  if (index < 0 || index >= count) return false;
  const bool keepPicture = MarkStillShown(canvas);
  const int32_t px = static_cast<int32_t>(FDotInfo[index].x);
  const int32_t py = static_cast<int32_t>(FDotInfo[index].y);
  FCanvas = canvas;
  if (FImage->GetPixel(px, py) == FBackground) {  // a blob whose centre lies outside it
    FSelected = -1;
    ShowPicture(keepPicture);
    return false;
  }
  if (index == FSelected) {
    FHighlight = false;
    return false;
  }
  FHighlight = true;
  FSelected = index;
  Highlight(index, px, py, keepPicture);
  return true;
}

bool TEncode::PickDot(int32_t x, int32_t y, TSurface* canvas) {
  if (x < 0 || y < 0 || x >= FImage->Width() || y >= FImage->Height()) return false;
  const bool keepPicture = MarkStillShown(canvas);
  FCanvas = canvas;
  if (FImage->GetPixel(x, y) == FBackground) {
    FSelected = -1;
    ShowPicture(keepPicture);
    return false;
  }
  FArea = 0;
  FSumX = FSumY = FSumW = 0;
  FUndo.clear();
  FRecordUndo = true;
  CentroidFill(x, y, false);
  UndoFills();
  // The fill and its undo leave the picture exactly as it was.
  if (keepPicture) FMark.ImageStamp = FImage->Edits();
  const float cx = static_cast<float>(static_cast<double>(FSumX) / static_cast<double>(FSumW));
  const float cy = static_cast<float>(static_cast<double>(FSumY) / static_cast<double>(FSumW));
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  int32_t found = -1;
  for (int32_t i = 0; i < count && found < 0; ++i)
    if (std::fabs(FDotInfo[i].x - cx) < 0.01f && std::fabs(FDotInfo[i].y - cy) < 0.01f) found = i;
  if (found < 0) {  // the records do not describe this picture: select nothing
    FSelected = -1;
    ShowPicture(keepPicture);
    return false;
  }
  if (found == FSelected) {
    FHighlight = false;
    return false;
  }
  FHighlight = true;
  FSelected = found;
  Highlight(found, x, y, keepPicture);
  return true;
}
