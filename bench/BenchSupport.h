#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

class TGrayImage;

// The benchmark pictures, rendered once per process. Size 0 is 2000 x 1500 (about 7,000 dots),
// size 1 is 6000 x 4000 (about 60,000 dots); pitch 20, radius 5, rotated by 1 degree.
// A camera picture has bright dots on a dark, unevenly lit background with noise; a segmented
// picture has dots of 255 on a background of exactly 0.
const TGrayImage& CameraPicture(int64_t size);
const TGrayImage& SegmentedPicture(int64_t size);

// Reports the time per item (pixel, dot) of one iteration as the counter name.
void CountTimePer(benchmark::State& state, const char* name, int64_t items);
