#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "encode/Encode.h"

// The tests' one way into the encoding job's private state: the running fill's counters, the
// search box, the highlight switch, and the records and picture for cases that set up a state
// by hand (a dot moved, a flag cleared) instead of building a picture for it.
struct TEncodeProbe {
  static std::vector<TDotInfo>& Dots(TEncode& job) { return job.FDotInfo; }
  static TGrayImage& Image(TEncode& job) { return *job.FImage; }
  static int32_t Area(const TEncode& job) { return job.FArea; }
  static int64_t SumX(const TEncode& job) { return job.FSumX; }
  static int64_t SumY(const TEncode& job) { return job.FSumY; }
  static int64_t SumW(const TEncode& job) { return job.FSumW; }
  static float TolX(const TEncode& job) { return job.FTolX; }
  static float TolY(const TEncode& job) { return job.FTolY; }
  static bool Highlight(const TEncode& job) { return job.FHighlight; }
  static void SetHighlight(TEncode& job, bool on) { job.FHighlight = on; }
};
