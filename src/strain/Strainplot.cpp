#include "strain/Strainplot.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "strain/Plotapp.h"
#include "strain/Plotgeometry.h"
#include "strain/Plotpaint.h"
#include "strain/Plotscale.h"

namespace {

// Figure layout, in figure pixels.
constexpr double Margin = 16;
constexpr double TitleBand = 64;
constexpr double PanelWidth = 150;
constexpr double MinMapHeight = 260;
constexpr double BarWidth = 22;

// The output scale of the picture: large pictures shrink to a report-sized figure, small ones
// grow so that labels stay readable beside them.
double FigureScale(int32_t width, int32_t height) {
  double s = std::min({1.0, 1400.0 / width, 1000.0 / height});
  if (width * s < 560) s = std::min(560.0 / width, 4.0);
  return s;
}

QImage GrayToQImage(const TGrayImage& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_Grayscale8);
  for (int32_t y = 0; y < picture.Height(); ++y)
    std::copy_n(picture.Row(y), picture.Width(), image.scanLine(y));
  return image;
}

struct TFigure {
  QImage Image;
  QRectF Map;  // where the picture lies in the figure
  double Scale = 1;
};

// A white figure with the picture (or a light blank area) drawn in its map rectangle; a faded
// picture lets thin marks over it stand out.
TFigure StartFigure(const TPlotGeometry& geometry, const TGrayImage* picture, double opacity) {
  EnsureGuiApplication();
  const int32_t width = picture != nullptr ? picture->Width() : geometry.Width();
  const int32_t height = picture != nullptr ? picture->Height() : geometry.Height();
  TFigure figure;
  figure.Scale = FigureScale(width, height);
  const double mapW = std::round(width * figure.Scale), mapH = std::round(height * figure.Scale);
  const double figureH = TitleBand + std::max(mapH, MinMapHeight) + Margin;
  figure.Map = QRectF(Margin, TitleBand, mapW, mapH);
  figure.Image = QImage(static_cast<int>(Margin + mapW + PanelWidth), static_cast<int>(figureH),
                        QImage::Format_RGB32);
  figure.Image.fill(Qt::white);
  QPainter painter(&figure.Image);
  if (picture != nullptr) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setOpacity(opacity);
    painter.drawImage(figure.Map, GrayToQImage(*picture));
  } else {
    painter.fillRect(figure.Map, QColor(236, 236, 236));
  }
  return figure;
}

void DrawTitle(QPainter& painter, const TFigure& figure, const QString& title,
               const QString& subtitle) {
  QFont font = painter.font();
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const double width = figure.Image.width() - 2 * Margin;
  painter.drawText(QPointF(Margin, 28),
                   QFontMetricsF(font).elidedText(title, Qt::ElideRight, width));
  font.setPixelSize(13);
  font.setBold(false);
  painter.setFont(font);
  painter.setPen(QColor(60, 60, 60));
  painter.drawText(QPointF(Margin, 50),
                   QFontMetricsF(font).elidedText(subtitle, Qt::ElideRight, width));
}

// Painter in picture pixels inside the figure's map rectangle.
void EnterPicture(QPainter& painter, const TFigure& figure) {
  painter.setClipRect(figure.Map);
  painter.translate(figure.Map.topLeft());
  painter.scale(figure.Scale, figure.Scale);
}

QString FrameText(const TStrainField& field) {
  return QString("x right, y up; %1 dots").arg(field.Points().size());
}

}  // namespace

QImage RenderFieldMap(const TStrainField& field, TPlotQuantity quantity,
                      const TGrayImage* picture) {
  const TPlotScale scale = ScaleOf(field, quantity);
  const TPlotGeometry geometry(field);
  TFigure figure = StartFigure(geometry, picture, 1.0);
  QPainter painter(&figure.Image);
  const TPlotQuantityInfo& info = InfoOf(quantity);
  QString subtitle = FrameText(field);
  if (!info.Displacement) {
    const int32_t side = 2 * field.Options().Neighbourhood + 1;
    subtitle =
        QString("%1 strain, %2\u00d7%2 neighbourhood; ")
            .arg(field.Options().Measure == TStrainMeasure::Green ? "Green-Lagrange" : "small")
            .arg(side) +
        subtitle;
  }
  DrawTitle(painter, figure, info.Title, subtitle);

  // Cells are painted opaque on a layer of their own, then laid over the picture at once:
  // where neighbouring cells overlap the cover stays even.
  QImage layer(figure.Map.size().toSize(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  {
    QPainter cells(&layer);
    cells.scale(figure.Scale, figure.Scale);
    PaintCells(cells, field, geometry, quantity, scale);
  }
  painter.setOpacity(picture != nullptr ? 0.8 : 1.0);  // the dots show through faintly
  painter.drawImage(figure.Map.topLeft(), layer);
  painter.setOpacity(1.0);

  QFont font = painter.font();
  font.setPixelSize(13);
  painter.setFont(font);
  const double barTop = figure.Map.top() + 30;
  const double barHeight = std::max(figure.Map.height(), MinMapHeight) - 38;
  PaintColourBar(painter, QRectF(figure.Map.right() + 20, barTop, BarWidth, barHeight), scale,
                 UnitText(field, quantity, scale));
  return figure.Image;
}

QImage RenderVectorPlot(const TStrainField& field, const TGrayImage* picture) {
  const TPlotGeometry geometry(field);
  TFigure figure = StartFigure(geometry, picture, 0.4);
  const double factor = ArrowFactor(field, geometry);
  // Arrows closer than 10 figure pixels would merge: every step-th dot only.
  const double spacing = geometry.Pitch() * figure.Scale;
  const int32_t step = spacing >= 10 ? 1 : static_cast<int32_t>(std::ceil(10 / spacing));

  QPainter painter(&figure.Image);
  QString subtitle = FrameText(field);
  if (step > 1) subtitle += QString("; every %1th dot drawn").arg(step);
  DrawTitle(painter, figure,
            QString("Displacement vectors, magnified \u00d7%1").arg(factor, 0, 'g', 6), subtitle);
  const QColor arrow(200, 20, 20);
  painter.save();
  EnterPicture(painter, figure);
  PaintArrows(painter, field, geometry, factor, step, arrow, 2.0);
  painter.restore();

  // Key: an arrow of one pitch and the displacement it stands for.
  QFont font = painter.font();
  font.setPixelSize(13);
  painter.setFont(font);
  const double length = std::min(spacing, PanelWidth - 40);
  const double shown = length / figure.Scale / factor;  // picture pixels
  const QPointF from(figure.Map.right() + 20, figure.Map.top() + 40);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(arrow, 2.0));
  painter.setBrush(arrow);
  painter.drawLine(from, from + QPointF(length - 6, 0));
  const QPointF tip = from + QPointF(length, 0);
  const QPointF head[3] = {tip, tip + QPointF(-7, -3.5), tip + QPointF(-7, 3.5)};
  painter.drawConvexPolygon(head, 3);
  painter.setPen(Qt::black);
  const double value = shown / geometry.UnitX();
  painter.drawText(from + QPointF(0, 22),
                   QString("%1 %2").arg(value, 0, 'g', 3).arg(QString::fromStdString(field.FUnit)));
  return figure.Image;
}

void CheckPlotFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string probePath = (folder.empty() ? std::string(".") : folder) + "/exx.png";
  if (error && !std::filesystem::is_directory(folder))
    throw TError("Cannot write plots into " + folder + ": " + error.message());
  // The atomic writer's temporary file is made and dropped again: nothing is left behind.
  TAtomicFile probe(probePath);
  if (!probe.Open()) throw TError("Cannot write plots into " + folder + ": " + probe.ErrorText());
}

void SavePng(const QImage& image, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw TError("Cannot encode the picture " + path + " as PNG");
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
  file.Commit();
}

namespace {

constexpr TPlotQuantity Maps[] = {TPlotQuantity::Exx, TPlotQuantity::Eyy, TPlotQuantity::Exy,
                                  TPlotQuantity::E1};

}  // namespace

std::vector<std::string> PlotFiles(const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> files;
  for (TPlotQuantity q : Maps) files.push_back(prefix + InfoOf(q).Name + ".png");
  files.push_back(prefix + "displacement.png");
  return files;
}

void SavePlots(const std::string& folder, const TStrainField& field, const TGrayImage* picture) {
  std::vector<QImage> figures;
  for (TPlotQuantity q : Maps) figures.push_back(RenderFieldMap(field, q, picture));
  figures.push_back(RenderVectorPlot(field, picture));
  const std::vector<std::string> files = PlotFiles(folder);
  for (size_t k = 0; k < figures.size(); ++k) SavePng(figures[k], files[k]);
}
