#pragma once

#include <QPointF>
#include <memory>
#include <string>
#include <vector>

#include "encode/Encode.h"

// Pictures and reference runs for the tests of the Encode menu.
namespace EncodeSupport {

// A segmented picture with white discs of the given radius at the given centres on black.
void WriteDots(const std::string& path, int32_t width, int32_t height,
               const std::vector<QPointF>& centres, double radius);
// Centres of a rows x columns lattice with its first dot at (x0, y0).
std::vector<QPointF> Lattice(double x0, double y0, double pitchX, double pitchY, int columns,
                             int rows);

// The run the Do Encoding command makes in its automatic stage, on the core alone: no drawing.
std::unique_ptr<TEncode> CoreRun(const std::string& path, bool whiteDots, int32_t leastArea,
                                 int32_t method, int32_t maxN = 50);

// Empty when both jobs hold the same dot records, else the first difference.
std::string DotDifference(const TEncode& a, const TEncode& b);

// The dot whose centre lies within a pixel of (x, y), or -1.
int32_t DotNear(const TEncode& job, double x, double y);

}  // namespace EncodeSupport
