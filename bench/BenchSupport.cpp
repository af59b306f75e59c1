#include "BenchSupport.h"

#include <map>
#include <memory>

#include "image/Grayimage.h"
#include "synth/Synth.h"

namespace {

const TGrayImage& Render(int64_t size, bool segmented) {
  static std::map<std::pair<int64_t, bool>, std::unique_ptr<TGrayImage>> cache;
  auto& slot = cache[{size, segmented}];
  if (!slot) {
    TSynthOptions o;
    o.Width = size == 0 ? 2000 : 6000;
    o.Height = size == 0 ? 1500 : 4000;
    o.PitchX = o.PitchY = 20;
    o.Radius = 5;
    o.RotationDeg = 1;
    if (segmented) {
      o.DotLevel = 255;
      o.BackgroundLevel = 0;
    } else {
      o.NoiseSigma = 4;
      o.Gradient = 30;
    }
    slot = std::make_unique<TGrayImage>();
    TSynthGrid(o).Render(false, *slot);
  }
  return *slot;
}

}  // namespace

const TGrayImage& CameraPicture(int64_t size) {
  return Render(size, false);
}
const TGrayImage& SegmentedPicture(int64_t size) {
  return Render(size, true);
}

void CountTimePer(benchmark::State& state, const char* name, int64_t items) {
  state.counters[name] =
      benchmark::Counter(static_cast<double>(items), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
