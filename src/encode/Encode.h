#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Surface.h"
#include "encode/Blobscan.h"
#include "encode/Coordinate.h"
#include "encode/Dotgrid.h"
#include "encode/Dotinfo.h"
#include "encode/Latticeextract.h"
#include "image/Grayimage.h"

class TSurface;

// The encoding job: finds and measures the dots of one segmented picture, gives them grid
// indices (Nx, Ny) counted from an origin dot, shows the result on a drawing surface and writes
// the code file.
//
// One run: constructor, PrepareImage, set FAreaThreshold, RemoveNoise, BuildDotInfo, then one of
// FindOrigin / FindOriginByRatio / SetOrigin, and Encode with the origin it returned (when >= 0);
// RunEncoding (Encoderun.h) is that sequence, for every caller that runs it as a whole.
// Every failure raises TError with the user's message and leaves the job as far as it got.
//
// Drawing surfaces may be null. The fills paint the pixels they erase on FCanvas only while FDraw
// is true and FCanvas is present. The highlight operations build an off-screen TRgbSurface of
// the picture's size and copy it onto FCanvas in one piece.
//
// Directions 0..3 are right (+1, 0), down (0, -1), left (-1, 0), up (0, +1) in grid steps; Nx
// grows to the right and Ny upwards in the picture. A dot index is a position in FDotInfo,
// 0 <= index < FDotSum; -1 means no dot.
class TEncode {
 public:
  // Loads the picture ("<name>: not exists" and the bitmap reader's errors pass through).
  // whiteDots: the background is 0, else 255. maxNx, maxNy size the coordinate table.
  TEncode(const std::string& fileName, bool whiteDots, bool draw, int32_t maxNx, int32_t maxNy);
  // The same on a picture already in memory (its FileName() goes to the code file).
  TEncode(std::unique_ptr<TGrayImage> image, bool whiteDots, bool draw, int32_t maxNx,
          int32_t maxNy);
  TEncode(const TEncode&) = delete;
  TEncode& operator=(const TEncode&) = delete;

  // The Auto estimate of the least dot area: a temporary job on the file without painting and
  // with a 1 x 1 table, PrepareImage without surface, then (2 * mean blob area) / 3.
  static int32_t AutoLeastArea(const std::string& fileName, bool whiteDots);
  // The Auto estimate from the mean blob area that PrepareImage leaves in FAreaThreshold.
  static int32_t LeastAreaOfMean(int32_t meanArea);
  // The areas of the blobs still in the picture and clear of its edge, from the labelling the
  // extraction steps share (made afresh when the picture has changed since).
  std::vector<int32_t> LiveBlobAreas();
  // That labelling itself (made afresh when the picture has changed since); blobs the
  // extraction removed are marked Erased.
  const TBlobScan& Labelling() {
    EnsureScan();
    return FScan;
  }

  // --- Backup and fills -----------------------------------------------------------------------
  // A copy of the pixels for callers that erase blobs one by one; made by the first save.
  void SaveBackup();
  void RestoreBackup();
  // Erase the 8-connected blob at (x, y) (nothing when that pixel is background), adding its
  // pixel count to FArea. CentroidFill also adds the weighted sums FSumX, FSumY, FSumW
  // (weight 255 - p for black dots, p for white dots). Both paint the erased pixels in the
  // background gray on FCanvas while painting is on; CentroidFill with paint false never does.
  void FloodFill(int32_t x, int32_t y);
  void CentroidFill(int32_t x, int32_t y, bool paint = true);
  // Erases the blob at (x, y), counting nothing, and paints it red on FOffCanvas while
  // FHighlight is true.
  void HighlightFill(int32_t x, int32_t y);

  // --- Dot extraction --------------------------------------------------------------------------
  // Erases every blob that touches the outermost rows or columns.
  void ClearBorder();
  // FDotSum and FTotalArea of the blobs in FImage; erases them all (callers keep a backup).
  void CountBlobs();
  // ClearBorder, then FAreaThreshold = mean blob area (0 when no blob is left). With clearBorder
  // false the blobs on the border stay (the lattice rules take merged dots apart first and drop
  // only the dots on the border) and the mean is that of the others.
  void PrepareImage(TSurface* canvas, bool clearBorder = true);
  // Erases the blobs smaller than FAreaThreshold (a negative value counts as 10); FDotSum becomes
  // the number of dots left. "No dots in this image..." when none is left.
  void RemoveNoise(TSurface* canvas);
  // One dot record per blob of at least FAreaThreshold pixels, in scan order of the blobs' first
  // pixels (top-most row, then left-most column in it).
  void BuildDotInfo(TSurface* canvas);
  void InitDotInfo();
  void CollectDots();
  // To be called after the positions of the dot records were changed from outside (refined
  // centroids): the nearest-dot searches index them anew.
  void DotsMoved() { FGridValid = false; }
  void AddDot(int32_t x, int32_t y);

  // --- Nearest-dot searches (single-precision distances, lowest index among equals) ------------
  // The dot grid's searches (Dotgrid.h) over the records, indexed anew when they change.
  int32_t MaxAreaDot() const;
  int32_t NearestDot(float x, float y);
  int32_t NearestOtherDot(int32_t i);
  // Inside the box |dx| <= FTolX, |dy| <= FTolY around (x, y); -1 when the box holds no dot.
  int32_t NearestDotWithin(float x, float y);

  // --- Grid encoding ---------------------------------------------------------------------------
  int32_t GridNeighbour(int32_t i, int32_t d) const;
  bool IsConsistent(int32_t a, int32_t b, int32_t d) const;
  // Dot i gets (nx, ny), Neted and Coded; each neighbour[d] >= 0 gets the indices one step
  // away in direction d and Coded; all are registered in the table. Nothing for an invalid i.
  void AssignDot(int32_t i, const int32_t neighbour[4], int32_t nx, int32_t ny);
  // Method: 0 "Max Area", 1 "Center Index Dot", 2 "Center Grid Dot", 3 "Center Image Dot";
  // anything else raises "Unknown origin method N: choose 0 to 3". Return the origin or -1.
  int32_t FindOrigin(int32_t method);
  // ratio = dy / dx of the grid; -1 when it is not a finite positive number.
  int32_t FindOriginByRatio(int32_t method, float ratio);
  // Origin and neighbours picked by the user (-1 or an invalid index = not picked).
  int32_t SetOrigin(int32_t origin, const int32_t neighbour[4], int32_t nx, int32_t ny);
  // One propagation step from dot u in direction d, with everything it leads to, depth first.
  // After each expanded dot: while painting, the dot is erased from FImage and FCanvas and
  // FCanvas->Flush() is called; then, if FDelay != 0, FPause(FDelay).
  // " Error when encoding, Direct correct it", "Error when Encoding, direct correct it" or the
  // table's "(%d , %d) not in the range" where the grid is inconsistent.
  void Expand(int32_t u, int32_t d);
  // Propagates from an origin whose neighbours are assigned (nothing for an invalid index), puts
  // the picture back and redraws it however the walk ends, then ShowUnNeted(FCanvas).
  void Encode(int32_t origin);

  // --- Manual correction -----------------------------------------------------------------------
  // Shifts the indices of every Coded dot so that dot i gets (0, 0); the table is unchanged.
  void ModifyOrigin(int32_t i);
  // Gives dot index the indices (nx, ny), Coded, and Neted = neted; nothing for an invalid index.
  // The table and the neighbour links are unchanged.
  void ModifyDot(int32_t index, int32_t nx, int32_t ny, bool neted);

  // --- Code file -------------------------------------------------------------------------------
  // Writes every Coded dot; FCodedSum becomes their number. Replaces the file only when complete.
  void SaveCodes(const std::string& fileName);

  // --- Display ---------------------------------------------------------------------------------
  int32_t FirstUnNeted() const;
  // Marks every dot that is not Neted (red while FHighlight) with its label; true if any.
  bool ShowUnNeted(TSurface* canvas);
  // ShowUnNeted on FCanvas, then the label of every dot on FCanvas.
  void ShowPosition();
  // Highlights dot index; false (and nothing drawn) for an invalid index, the dot already
  // selected (FHighlight turns off) or a dot whose centre pixel is background.
  bool SelectDot(int32_t index, TSurface* canvas);
  // Highlights the dot whose blob holds pixel (x, y); false when none or already selected.
  bool PickDot(int32_t x, int32_t y, TSurface* canvas);
  // The dot SelectDot or PickDot highlighted last, -1 for none.
  int32_t Selected() const { return FSelected; }
  // "%d(%d,%d)" for a Coded dot, "%d(%5.2f,%5.2f)" for the others.
  std::string DotLabel(int32_t i) const;

  // The messages of an encoding run whose origin search fails (automatic, with the pitch ratio,
  // with the user's pick); the callers that drive the run raise them.
  static constexpr const char* AutoOriginFailedMessage =
      "Can not automaticly find origin\nYou can give dx & dy or direct set the origin\nthen push "
      "\"Start Encode Again\" Button ";
  static constexpr const char* RatioOriginFailedMessage =
      "Can not automaticly find origin\nYou Should Point it, \"use Direct Set Origin\"";
  static constexpr const char* WrongOriginMessage = " You give the wrong ORIGIN(starting grid)";

  // --- Settings and results ------------------------------------------------------------------
  // The picture being encoded (the view repaints it). The extraction notices if it changes
  // between its steps.
  const TGrayImage& Image() const { return *FImage; }
  uint8_t Background() const { return FBackground; }
  // FDotSum records after BuildDotInfo (Refinecentroid.h moves them, the lattice rules replace
  // them).
  const std::vector<TDotInfo>& DotInfo() const { return FDotInfo; }
  int32_t DotSum() const { return FDotSum; }
  int32_t CodedSum() const { return FCodedSum; }
  int32_t TotalArea() const { return FTotalArea; }
  // The least dot area: PrepareImage leaves the mean blob area here, the caller sets the value
  // RemoveNoise and BuildDotInfo use.
  int32_t AreaThreshold() const { return FAreaThreshold; }
  void SetAreaThreshold(int32_t area) { FAreaThreshold = area; }
  const TCoordinate& Coordinate() const { return FCoordinate; }
  int32_t MaxNx() const { return FMaxNx; }
  int32_t MaxNy() const { return FMaxNy; }
  // Replaces the grid table with an empty one of the given size (before the origin is found).
  void ResizeTable(int32_t maxNx, int32_t maxNy);
  float Ratio() const { return FRatio; }
  // What the lattice rules did (Latticeextract.h); Ran false when they did not run.
  const TDotSorting& Sorting() const { return FSorting; }
  float ScaleX() const { return FScaleX; }
  float ScaleY() const { return FScaleY; }
  void SetScale(float x, float y) { FScaleX = x, FScaleY = y; }
  // Written right after the magic word: the lineage of the reference the dots were indexed
  // from (match/Codelineage.h); empty for a picture indexed from its own origin.
  const std::string& CodeMark() const { return FCodeMark; }
  void SetCodeMark(std::string mark) { FCodeMark = std::move(mark); }
  // The surface last given to an operation, not owned; the walk and the fills paint on it.
  TSurface* Canvas() const { return FCanvas; }
  void SetCanvas(TSurface* canvas) { FCanvas = canvas; }
  int32_t Delay() const { return FDelay; }
  void SetDelay(int32_t ms) { FDelay = ms; }
  // Waits ms milliseconds between expanded dots; none by default (the GUI injects its sleep).
  void SetPause(std::function<void(int32_t ms)> pause) { FPause = std::move(pause); }
  // Asked after each expanded dot (and its pause) whether to stop; true raises TCancelled, after
  // the walk has put the picture back. Unset: never asked.
  void SetCancel(std::function<bool()> cancel) { FCancel = std::move(cancel); }

  // --- Records from outside --------------------------------------------------------------------
  // Replaces the dot records (FDotSum becomes their number) and indexes them anew.
  void ReplaceDots(std::vector<TDotInfo> dots);
  // Indexing from a reference instead of the walk: ClearIndices takes every dot's indices, flags
  // and links away; IndexDot gives dot i (nx, ny), Coded and Neted, in the table; LinkIndexedDots
  // links every Coded dot to the dots one grid step away in the table and counts the Coded dots.
  void ClearIndices();
  void IndexDot(int32_t i, int32_t nx, int32_t ny);
  void LinkIndexedDots();
  // Puts back the indices and flags of dot index as they were in dot (an undone correction);
  // nothing for an invalid index.
  void RestoreDot(int32_t index, const TDotInfo& dot);

  // What a walk that may be cancelled keeps to put the job back: the records, the table and the
  // walk's own settings.
  class TWalkState {
    friend class TEncode;
    std::vector<TDotInfo> FDots;
    TCoordinate FTable;
    float FTolX = 0, FTolY = 0, FRatio = 1;
    int32_t FDelay = 0, FCodedSum = 0;
    TSurface* FCanvas = nullptr;
    std::function<void(int32_t)> FPause;
    std::function<bool()> FCancel;
    explicit TWalkState(const TEncode& job);
  };
  TWalkState SaveWalk() const { return TWalkState(*this); }
  void RestoreWalk(TWalkState state);

 private:
  // The extraction steps and the centroid refinements of their own files work on the records.
  friend TFitHints SortDots(TEncode& job, int32_t leastArea, bool areaGiven, TSurface* canvas);
  friend void RefineCentroids(TEncode& job, const TGrayImage& picture, int32_t threads);
  friend TFitReport FitCentroids(TEncode& job, const TGrayImage& picture, const TFitHints& hints,
                                 int32_t threads);
  // The tests' one view of the working state (tests/support/Encodeprobe.h).
  friend struct TEncodeProbe;

  int32_t FDelay = 0;
  std::function<void(int32_t ms)> FPause;
  std::function<bool()> FCancel;
  TSurface* FOffCanvas = nullptr;  // the off-screen picture while a highlight is drawn
  std::unique_ptr<TGrayImage> FImage;
  std::vector<uint8_t> BackupImage;  // FImage's size once SaveBackup made it, else empty
  TSurface* FCanvas = nullptr;
  uint8_t FBackground = 0;
  bool FDraw = false;
  int32_t FArea = 0;
  // 64-bit: a big blob far from the origin overflows 32 bits.
  int64_t FSumX = 0, FSumY = 0, FSumW = 0;
  int32_t FAreaThreshold = 0;
  std::vector<TDotInfo> FDotInfo;
  int32_t FDotIndex = 0;
  int32_t FDotSum = 0;
  int32_t FCodedSum = 0;
  int32_t FTotalArea = 0;
  float FScaleX = 1.0f, FScaleY = 1.0f;
  std::string FCodeMark;
  bool FHighlight = true;
  static constexpr int32_t FDirX[4] = {1, 0, -1, 0};
  static constexpr int32_t FDirY[4] = {0, -1, 0, 1};
  TCoordinate FCoordinate;
  int32_t FMaxNx = 0, FMaxNy = 0;
  float FTolX = 0, FTolY = 0;
  float FRatio = 1.0f;
  TDotSorting FSorting;
  int32_t FSelected = -1;

  struct TFirstStep {
    int32_t Origin = -1;
    int32_t Neighbour = -1;  // the origin's nearest other dot, in direction D0
    float Fx = 0, Fy = 0;    // the step from the origin to it
    int32_t D0 = 0;
  };
  enum class TFillKind { Flood, Centroid, Highlight };

  void Init(bool whiteDots, bool draw);
  bool Painting() const { return FDraw && FCanvas != nullptr; }
  void Fill(int32_t x, int32_t y, TFillKind kind, bool paint);
  void UndoFills();
  void PaintBlobs();
  void RemoveBlobs(const std::vector<char>& remove);
  void CountLiveBlobs();
  void EnsureScan();
  void Redraw() const;
  // ClearBorder on a labelling known to be valid.
  void ClearBorderBlobs();
  void CheckMethod(int32_t method) const;
  int32_t ChooseOrigin(int32_t method);
  bool FirstStep(int32_t method, TFirstStep& step);
  // One frame of the walk: checks and expands the dot beyond u in direction d; returns it, or
  // -1 when the walk does not go on from there.
  int32_t ExpandStep(int32_t u, int32_t d);
  void FindNeighbours(int32_t u, int32_t v, int32_t d, int32_t n[4]);
  // The blob of dot s, holding pixel (px, py), in red with its label over the picture. With
  // keepPicture the surface still shows the picture and the last mark only (see FMark), and
  // just the last mark's area is drawn again.
  void Highlight(int32_t s, int32_t px, int32_t py, bool keepPicture);
  bool MarkStillShown(const TSurface* canvas) const;
  // The plain picture on FCanvas: the whole of it, or with keepPicture only the last mark's area.
  void ShowPicture(bool keepPicture);
  TDotGrid& Grid();

  // Where the last highlight was drawn, and on what: while neither the surface nor the picture
  // has changed since, the surface shows the picture plus this mark and nothing else.
  struct TMark {
    const TSurface* Canvas = nullptr;
    TStampValue CanvasStamp;
    const TGrayImage* Image = nullptr;
    TStampValue ImageStamp;
    TSurface::TBox Area;
  };
  TMark FMark;

  // Blob labelling of the picture, shared by the extraction steps; valid while FImage keeps the
  // fingerprint FScanPrint (checked before use).
  uint64_t ImagePrint() const;
  TBlobScan FScan;
  bool FScanValid = false;
  uint64_t FScanPrint = 0;
  TDotGrid FGrid;
  bool FGridValid = false;
  // Pixels erased by fills that are to be put back (offset, former value), while recording.
  std::vector<std::pair<uint32_t, uint8_t>> FUndo;
  bool FRecordUndo = false;
  std::vector<uint32_t> FFillStack;  // pixel offsets: a picture has fewer than 2^31 pixels
};
