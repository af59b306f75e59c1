// The encoding display: red marks and labels for the dots on the drawing surface.
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

// The blob of dot s, holding pixel (px, py), in red with the dot's label, over the picture,
// drawn straight onto the surface as ShowUnNeted does.
void TEncode::Highlight(int32_t s, int32_t px, int32_t py) {
  if (FCanvas == nullptr) return;
  FOffCanvas = FCanvas;
  FImage->Repaint(FOffCanvas);
  FUndo.clear();
  FRecordUndo = true;
  HighlightFill(px, py);
  UndoFills();
  FOffCanvas->TextOut(static_cast<int32_t>(FDotInfo[s].x), static_cast<int32_t>(FDotInfo[s].y),
                      DotLabel(s));
  FOffCanvas = nullptr;
}

bool TEncode::SelectDot(int32_t index, TSurface* canvas) {
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  if (index < 0 || index >= count) return false;
  const int32_t px = static_cast<int32_t>(FDotInfo[index].x);
  const int32_t py = static_cast<int32_t>(FDotInfo[index].y);
  FCanvas = canvas;
  if (FImage->GetPixel(px, py) == FBackground) {  // a blob whose centre lies outside it
    FSelected = -1;
    Redraw();
    return false;
  }
  if (index == FSelected) {
    FHighlight = false;
    return false;
  }
  FHighlight = true;
  FSelected = index;
  Highlight(index, px, py);
  return true;
}

bool TEncode::PickDot(int32_t x, int32_t y, TSurface* canvas) {
  if (x < 0 || y < 0 || x >= FImage->Width() || y >= FImage->Height()) return false;
  FCanvas = canvas;
  if (FImage->GetPixel(x, y) == FBackground) {
    FSelected = -1;
    Redraw();
    return false;
  }
  FArea = 0;
  FSumX = FSumY = FSumW = 0;
  FUndo.clear();
  FRecordUndo = true;
  CentroidFill(x, y, false);
  UndoFills();
  const float cx = static_cast<float>(static_cast<double>(FSumX) / static_cast<double>(FSumW));
  const float cy = static_cast<float>(static_cast<double>(FSumY) / static_cast<double>(FSumW));
  const int32_t count = std::min(FDotSum, static_cast<int32_t>(FDotInfo.size()));
  int32_t found = -1;
  for (int32_t i = 0; i < count && found < 0; ++i)
    if (std::fabs(FDotInfo[i].x - cx) < 0.01f && std::fabs(FDotInfo[i].y - cy) < 0.01f) found = i;
  if (found < 0) {  // the records do not describe this picture: select nothing
    FSelected = -1;
    Redraw();
    return false;
  }
  if (found == FSelected) {
    FHighlight = false;
    return false;
  }
  FHighlight = true;
  FSelected = found;
  Highlight(found, x, y);
  return true;
}
