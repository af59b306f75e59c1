#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reference/PlainLattice.h"
#include "segment/Segment.h"
#include "support/Checks.h"

// A job on an in-memory image of w x h pixels, pixel (x, y) = value(x, y).
std::unique_ptr<TSegment> MakeJob(int32_t w, int32_t h,
                                  const std::function<uint8_t(int32_t, int32_t)>& value);

std::vector<uint8_t> Pixels(const TGrayImage& image);
