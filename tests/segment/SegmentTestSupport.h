#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reference/PlainLattice.h"
#include "segment/Segment.h"

// A job on an in-memory image of w x h pixels, pixel (x, y) = value(x, y).
std::unique_ptr<TSegment> MakeJob(int32_t w, int32_t h,
                                  const std::function<uint8_t(int32_t, int32_t)>& value);

// The message of the TError that action raises, "(no error)" when it raises none.
std::string ErrorOf(const std::function<void()>& action);

std::vector<uint8_t> Pixels(const TGrayImage& image);
