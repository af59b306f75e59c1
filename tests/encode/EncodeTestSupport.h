#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "support/Checks.h"
#include "synth/Synth.h"

// Pictures and jobs for the encoding tests.
namespace enctest {

std::unique_ptr<TGrayImage> Blank(int32_t width, int32_t height, uint8_t value);

std::unique_ptr<TEncode> Job(std::unique_ptr<TGrayImage> image, bool whiteDots, int32_t maxN = 50,
                             bool draw = false);
// PrepareImage, the least area, RemoveNoise, BuildDotInfo, without surfaces.
void Extract(TEncode& job, int32_t leastArea);

// A segmented synthetic grid: dots of full contrast with anti-aliased edges on a background of
// exactly 0 (white dots) or 255 (black dots).
struct TGridCase {
  TSynthOptions Options;
  std::unique_ptr<TSynthGrid> Grid;
  std::unique_ptr<TGrayImage> Image;
};
TGridCase SegmentedGrid(TSynthOptions options);

// The job's dot nearest to a true centre, or -1 beyond max distance.
int32_t DotAt(const TEncode& job, double x, double y, double maxDistance = 1.5);

// Compares the job's indices with the true lattice positions, relative to the job's dot at
// (0, 0): every present dot must be Coded with Nx = I - I0 and Ny = J0 - J. Returns a
// description of the first few differences, empty when there are none.
std::string EncodingErrors(const TEncode& job, const TSynthGrid& grid);

}  // namespace enctest
