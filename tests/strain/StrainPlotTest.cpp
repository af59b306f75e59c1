#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <filesystem>

#include "StrainTestSupport.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "strain/Colormap.h"
#include "strain/Lineprofile.h"
#include "strain/Plotgeometry.h"
#include "strain/Plotpaint.h"
#include "strain/Plotscale.h"
#include "strain/Strainplot.h"
#include "support/Checks.h"
#include "support/TempDir.h"

namespace {

// A lattice in picture pixels of a 400 x 300 picture: exx grows to the right, dx = 0.5 + ...
TStrainField SheetField() {
  TLattice lattice{8, 6, 20, 0, 200, 150};
  const std::vector<TStrainPair> pairs =
      LatticePairs(lattice, [](double x, double y, double& u, double& v) {
        u = 0.5 + 1e-5 * (x - 200) * (x - 200);
        v = -0.001 * (y - 150);
      });
  TStrainField field = TStrainField::Compute(pairs, {});
  field.FPictureWidth = 400;
  field.FPictureHeight = 300;
  return field;
}

int ColourDistance(QRgb a, const QColor& b) {
  return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) +
         std::abs(qBlue(a) - b.blue());
}

}  // namespace

TEST(PlotScale, RangesAreNiceCoverTheDataAndLabelsShareOnePowerOfTen) {
  const TPlotScale strain({0.0031, -0.0012, 0.0007}, true);
  EXPECT_DOUBLE_EQ(strain.High(), 0.004);
  EXPECT_DOUBLE_EQ(strain.Low(), -0.004);
  EXPECT_EQ(strain.Exponent(), -3);
  ASSERT_EQ(strain.Ticks().size(), 9u);
  EXPECT_EQ(strain.Label(strain.Ticks()[0]), "-4");
  EXPECT_EQ(strain.Label(strain.Ticks()[4]), "0");
  EXPECT_DOUBLE_EQ(strain.Fraction(0), 0.5);

  const TPlotScale length({0.0, 0.37, 1.24}, false);
  EXPECT_EQ(length.Low(), 0);
  EXPECT_GE(length.High(), 1.24);
  EXPECT_LE(length.High(), 1.6);
  EXPECT_EQ(length.Exponent(), 0);
  EXPECT_EQ(length.Label(length.Ticks()[1]), "0.5");

  // One wild dot among a thousand does not set the range.
  std::vector<double> values(1000, 0.001);
  values[7] = 5;
  EXPECT_DOUBLE_EQ(TPlotScale(values, true).High(), 0.001);
  EXPECT_DOUBLE_EQ(NiceFloor(54.05), 50);
  EXPECT_DOUBLE_EQ(NiceCeil(0.00151), 0.002);
}

TEST(PlotScale, PercentilesSymmetricAndTypedLimitsSetTheRangeAndTheMap) {
  // -0.002 to 0.008 evenly, and one wild value that the percentiles leave out.
  std::vector<double> values;
  for (int i = 0; i < 1000; ++i) values.push_back(-0.002 + 1e-5 * i);
  values.push_back(0.5);
  auto scale = [&values](TRangeMode mode, double low = 0, double high = 0) {
    return ScaleForRange(values, true, {mode, 2, low, high});
  };
  const TPlotScale percentiles = scale(TRangeMode::Percentiles);
  EXPECT_LE(percentiles.Low(), -0.0018);
  EXPECT_GE(percentiles.Low(), -0.0025);
  EXPECT_GE(percentiles.High(), 0.0078);
  EXPECT_LE(percentiles.High(), 0.0085);
  EXPECT_FALSE(percentiles.Diverging());
  EXPECT_DOUBLE_EQ(percentiles.Fraction(0.5), 1);
  const TPlotScale symmetric = scale(TRangeMode::Symmetric);
  EXPECT_DOUBLE_EQ(symmetric.Low(), -symmetric.High());
  EXPECT_GE(symmetric.High(), 0.0078);
  EXPECT_LE(symmetric.High(), 0.0085);
  EXPECT_TRUE(symmetric.Diverging());
  EXPECT_DOUBLE_EQ(symmetric.Fraction(0), 0.5);
  const TPlotScale limits = scale(TRangeMode::Limits, -0.001, 0.003);
  EXPECT_DOUBLE_EQ(limits.Low(), -0.001);
  EXPECT_DOUBLE_EQ(limits.High(), 0.003);
  EXPECT_FALSE(limits.Diverging());
  EXPECT_EQ(limits.Label(limits.Ticks().front()), "-1");
  EXPECT_EQ(limits.Label(limits.Ticks().back()), "3");
  EXPECT_TRUE(scale(TRangeMode::Limits, -0.004, 0.004).Diverging());
  EXPECT_DOUBLE_EQ(scale(TRangeMode::Whole).High(), TPlotScale(values, true).High());
  EXPECT_THROW(scale(TRangeMode::Limits, 0.003, 0.003), TError);
  EXPECT_THROW(ScaleForRange(values, true, {TRangeMode::Percentiles, 50, 0, 0}), TError);
}

TEST(PlotPaint, EveryDotsCellHasTheColourOfItsValueAtItsPicturePosition) {
  const TStrainField field = SheetField();
  const TPlotGeometry geometry(field);
  EXPECT_NEAR(geometry.Pitch(), 20, 1e-9);
  for (TPlotQuantity q : {TPlotQuantity::Exx, TPlotQuantity::Eyy, TPlotQuantity::D}) {
    const TPlotScale scale = ScaleOf(field, q);
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintCells(painter, field, geometry, q, scale);
    painter.end();
    const TColorMap& map = scale.Diverging() ? TColorMap::Diverging() : TColorMap::Viridis();
    for (const TStrainPoint& p : field.Points()) {
      // The y axis of the field points up: row = height - y.
      const int x = static_cast<int>(p.Pair.X), y = static_cast<int>(300 - p.Pair.Y);
      const QColor expected = map.At(scale.Fraction(ValueOf(q, p)));
      EXPECT_LE(ColourDistance(image.pixel(x, y), expected), 3) << InfoOf(q).Name;
      // Cells end half a pitch away: the corner of the picture stays white.
    }
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
  }
}

TEST(PlotPaint, AViewPaintsOnlyTheCellsNearItsAreaAndFindsTheDotUnderAPixel) {
  const TStrainField field = SheetField();
  const TPlotGeometry geometry(field);
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintCells(painter, field, geometry, TPlotQuantity::Exx, ScaleOf(field, TPlotQuantity::Exx),
             QRectF(0, 0, 100, 100));
  painter.end();
  for (size_t k = 0; k < field.Points().size(); ++k) {
    const QPointF c = geometry.Pixel(field.Points()[k].Pair);
    const bool near = c.x() < 100 + 40 && c.y() < 100 + 40;
    const bool far = c.x() > 100 + 60 || c.y() > 100 + 60;
    const QRgb pixel = image.pixel(static_cast<int>(c.x()), static_cast<int>(c.y()));
    if (near) {
      EXPECT_NE(pixel, qRgb(255, 255, 255)) << c.x() << "," << c.y();
    } else if (far) {
      EXPECT_EQ(pixel, qRgb(255, 255, 255)) << c.x() << "," << c.y();
    }
    // Within half a pitch of a dot, that dot; between four dots, none.
    EXPECT_EQ(geometry.NearestPoint(field, c + QPointF(3, -4)), static_cast<int32_t>(k));
    EXPECT_EQ(geometry.NearestPoint(field, c + QPointF(10, 10)), -1);
  }
}

TEST(PlotPaint, DotsWhereTheyMovedAndProfilesAlongALine) {
  const TStrainField field = SheetField();
  const TPlotGeometry deformed(field, true);
  const TStrainPoint& p = field.Points()[40];
  EXPECT_EQ(deformed.Pixel(p.Pair), QPointF(p.Pair.X + p.Pair.Dx, 300 - p.Pair.Y - p.Pair.Dy));
  EXPECT_DOUBLE_EQ(ValueOf(TPlotQuantity::E2, p), p.E2);
  EXPECT_DOUBLE_EQ(ValueOf(TPlotQuantity::Rotation, p), p.Rotation);
  // The row at y = 150 (17 dots, x = 40 to 360): exx grows along it; the rows 20 px away are
  // more than half a pitch off the line.
  const TPlotGeometry geometry(field);
  const std::vector<TProfilePoint> row =
      FieldProfile(field, geometry, TPlotQuantity::Exx, QPointF(0, 150), QPointF(400, 150));
  ASSERT_EQ(row.size(), 17u);
  for (size_t k = 1; k < row.size(); ++k) {
    EXPECT_NEAR(row[k].Distance - row[k - 1].Distance, 20, 1e-9);
    EXPECT_GT(row[k].Value, row[k - 1].Value);
  }
  EXPECT_NEAR(row[0].Distance, 40, 1e-9);
  // Gray values between pixels are interpolated; points off the picture are left out.
  TGrayImage ramp;
  ramp.SetSize(10, 4);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 10; ++x) ramp.SetPixel(x, y, static_cast<uint8_t>(10 * x + y));
  const std::vector<TProfilePoint> gray =
      GrayProfile(ramp, QPointF(-1.75, 1.5), QPointF(12.25, 1.5));
  ASSERT_EQ(gray.size(), 9u);  // x = 0.25 to 8.25
  EXPECT_DOUBLE_EQ(gray[0].Distance, 2);
  for (const TProfilePoint& point : gray)
    EXPECT_NEAR(point.Value, 10 * (point.Distance - 1.75) + 1.5, 1e-9) << point.Distance;
}

TEST(PlotPaint, ArrowsAreMagnifiedToAboutOnePitchAndPointAlongTheDisplacement) {
  TLattice lattice{3, 3, 20, 0, 100.5, 99.5};  // the dot (0, 0) at the centre of pixel (100, 100)
  TStrainField field = TStrainField::Compute(
      LatticePairs(lattice, [](double, double, double& u, double& v) { u = 0.37, v = 0.0; }), {});
  field.FPictureWidth = 200;
  field.FPictureHeight = 200;
  const TPlotGeometry geometry(field);
  const double factor = ArrowFactor(field, geometry);
  EXPECT_DOUBLE_EQ(factor, 50);  // 20 / 0.37 = 54 rounds down to 50
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintArrows(painter, field, geometry, factor, 1, Qt::red, 1.5);
  painter.end();
  // The arrow of the leftmost dot of the row, at (40, 100), runs 18.5 px to the right; nothing
  // lies left of it or above it.
  EXPECT_LE(ColourDistance(image.pixel(48, 100), Qt::red), 60);
  EXPECT_LE(ColourDistance(image.pixel(56, 100), Qt::red), 60);
  EXPECT_EQ(image.pixel(35, 100), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(48, 95), qRgb(255, 255, 255));
}

TEST(StrainPlot, FiguresHaveTitleBarAndMapAndAreWrittenAllOrNothing) {
  const TStrainField field = SheetField();
  const QImage map = RenderFieldMap(field, TPlotQuantity::Exx, nullptr);
  // A small picture is enlarged for readable labels, with the bar beside it.
  EXPECT_GE(map.width(), 560 + 100);
  int dark = 0, high = 0, low = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) dark += qGray(map.pixel(x, y)) < 80;
  const QColor top = TColorMap::Diverging().At(1), bottom = TColorMap::Diverging().At(0);
  for (int y = 0; y < map.height(); ++y)
    for (int x = map.width() - 150; x < map.width(); ++x) {
      high += ColourDistance(map.pixel(x, y), top) < 12;
      low += ColourDistance(map.pixel(x, y), bottom) < 12;
    }
  EXPECT_GT(dark, 100) << "title text";
  EXPECT_GT(high, 20) << "colour bar";
  EXPECT_GT(low, 20) << "colour bar";

  TTempDir dir;
  const std::string folder = dir.File("plots/new");
  CheckPlotFolder(folder);
  EXPECT_TRUE(ListDirectory(folder).empty());
  SavePlots(folder, field, nullptr);
  EXPECT_EQ(ListDirectory(folder), (std::vector<std::string>{"displacement.png", "e1.png",
                                                             "exx.png", "exy.png", "eyy.png"}));
  EXPECT_FALSE(QImage(QString::fromStdString(folder + "/exx.png")).isNull());

  // No strain anywhere: an error and no picture.
  const TStrainField lone = TStrainField::Compute({{0, 0, 5, 5, 1, 1}, {9, 9, 50, 50, 1, 1}}, {});
  EXPECT_EQ(ErrorOf([&] { SavePlots(dir.File("none"), lone, nullptr); }),
            "Nothing to plot for exx: no dot has strain");
  EXPECT_FALSE(std::filesystem::exists(dir.File("none/exx.png")));
  // A folder that is a file cannot take plots.
  WriteFileBytes(dir.File("file"), "x");
  EXPECT_NE(ErrorOf([&] { CheckPlotFolder(dir.File("file")); }).find("Cannot write plots into"),
            std::string::npos);
}
