#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

#include "strain/Plotgeometry.h"
#include "strain/Plotquantity.h"
#include "strain/Plotscale.h"
#include "strain/Strainfield.h"

// The pieces of a field map, painted with any QPainter: the image view of the desktop
// application uses them in picture pixels, the plot files in a scaled figure.

// The colour scale of a quantity over the dots that have it; raises TError when none has.
TPlotScale ScaleOf(const TStrainField& field, TPlotQuantity quantity,
                   const TColourRange& range = {});
// The unit text of a colour bar: "strain x10^-3", "px" and the like, with superscript digits.
QString UnitText(const TStrainField& field, TPlotQuantity quantity, const TPlotScale& scale);
// Fills every dot's lattice cell with the colour of its value, in picture pixels. With a
// non-empty within (picture pixels), only the cells of dots within a pitch of it: a view zoomed
// in paints the few it shows.
void PaintCells(QPainter& painter, const TStrainField& field, const TPlotGeometry& geometry,
                TPlotQuantity quantity, const TPlotScale& scale, const QRectF& within = QRectF());
// A vertical colour bar in bar, with ticks and labels to its right and unit above it. Returns
// the width the labels need right of the bar.
double PaintColourBar(QPainter& painter, const QRectF& bar, const TPlotScale& scale,
                      const QString& unit);
// Displacement arrows from every step-th dot (in both grid directions), magnified by factor;
// penWidth in device pixels. within as for PaintCells, with room for the longest arrow.
void PaintArrows(QPainter& painter, const TStrainField& field, const TPlotGeometry& geometry,
                 double factor, int32_t step, const QColor& color, double penWidth,
                 const QRectF& within = QRectF());
// The magnification that makes the largest displacement (99.5th percentile) about one pitch:
// a nice number at or below pitch / largest; 1 when nothing moved.
double ArrowFactor(const TStrainField& field, const TPlotGeometry& geometry);
