// Picking a dot on the image view: what one pointer movement costs in Pass View, where every
// movement over the picture picks. Measured on the core with an in-memory canvas of the
// picture's size, as the view's backing picture is; the screen repaint of the visible part comes
// on top.
//
//   new dot:     PickDot alternating between two dots (a highlight each time: the last mark's
//                area redrawn from the picture, the new blob filled red and labelled);
//   same dot:    PickDot on the dot already selected (nothing is drawn);
//   background:  PickDot between dots (the selection is cleared: the last mark's area, if
//                any, redrawn from the picture).
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cstring>
#include <map>
#include <memory>

#include "base/RgbSurface.h"
#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"

namespace {

// The segmented benchmark pictures (0: 2000 x 1500, 1: 6000 x 4000) with their dots measured.
struct TCase {
  std::unique_ptr<TEncode> Job;
  std::unique_ptr<TRgbSurface> Canvas;
};

TCase& Case(int64_t which) {
  static std::map<int64_t, TCase> cache;
  TCase& c = cache[which];
  if (!c.Job) {
    const TGrayImage& source = SegmentedPicture(which);
    auto image = std::make_unique<TGrayImage>();
    image->SetWidth(source.Width());
    image->SetHeight(source.Height());
    std::memcpy(image->Data(), source.Data(), static_cast<size_t>(source.Size()));
    c.Canvas = std::make_unique<TRgbSurface>(source.Width(), source.Height());
    c.Job = std::make_unique<TEncode>(std::move(image), true, true, 400, 400);
    TEncodeRunOptions options;
    options.LeastArea = TLeastArea::Given(20);
    ExtractDots(*c.Job, options);
  }
  return c;
}

void Pick(benchmark::State& state, int mode) {
  TCase& c = Case(state.range(0));
  const TDotInfo& a = c.Job->DotInfo()[c.Job->DotSum() / 2];
  const TDotInfo& b = c.Job->DotInfo()[c.Job->DotSum() / 2 + 1];
  const int32_t ax = static_cast<int32_t>(a.x), ay = static_cast<int32_t>(a.y);
  const int32_t bx = static_cast<int32_t>(b.x), by = static_cast<int32_t>(b.y);
  c.Job->PickDot(ax, ay, c.Canvas.get());
  bool flip = false;
  for (auto _ : state) {
    if (mode == 0)
      c.Job->PickDot(flip ? ax : bx, flip ? ay : by, c.Canvas.get());
    else if (mode == 1)
      c.Job->PickDot(ax, ay, c.Canvas.get());
    else
      c.Job->PickDot(ax + 10, ay + 10, c.Canvas.get());  // the middle of a grid cell
    flip = !flip;
  }
  state.counters["pixels"] = c.Job->Image().Size();
}

void BM_PickNewDot(benchmark::State& state) {
  Pick(state, 0);
}
void BM_PickSameDot(benchmark::State& state) {
  Pick(state, 1);
}
void BM_PickBackground(benchmark::State& state) {
  Pick(state, 2);
}
BENCHMARK(BM_PickNewDot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PickSameDot)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PickBackground)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
