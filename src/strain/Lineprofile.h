#pragma once

#include <QPointF>
#include <vector>

#include "strain/Plotgeometry.h"
#include "strain/Plotquantity.h"
#include "strain/Strainfield.h"

class TGrayImage;

// What lies along a line drawn over a picture or a map, from its start, for a profile plot.
struct TProfilePoint {
  double Distance = 0;  // along the line from its start, picture pixels
  double Value = 0;
};

// The gray values at every whole pixel of distance along the line from `from` to `to` (picture
// pixel centres at whole coordinates), interpolated between the four pixels around each point;
// points outside the picture are left out.
std::vector<TProfilePoint> GrayProfile(const TGrayImage& picture, QPointF from, QPointF to);

// The quantity at the dots that lie within half a pitch of the line, at the distance of their
// foot on it, in order of distance; dots without a value of the quantity are left out.
std::vector<TProfilePoint> FieldProfile(const TStrainField& field, const TPlotGeometry& geometry,
                                        TPlotQuantity quantity, QPointF from, QPointF to);
