#include "app/match/Strainbar.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "strain/Plotpaint.h"

namespace {

constexpr int Padding = 8;
constexpr int BarWidth = 16;
constexpr int PreferredHeight = 340;

}  // namespace

TStrainBar::TStrainBar(QWidget* parent) : QWidget(parent) {
  setObjectName("StrainBar");
  setAttribute(Qt::WA_TransparentForMouseEvents);  // the view under it still takes the mouse
}

QFont TStrainBar::LabelFont() const {
  QFont f = font();
  f.setPixelSize(12);
  return f;
}

void TStrainBar::SetScale(TPlotQuantity quantity, const TPlotScale& scale, const QString& unit) {
  FQuantity = quantity;
  FScale = scale;
  FUnit = unit;
  updateGeometry();
  update();
}

void TStrainBar::SetArrows(double magnification) {
  if (magnification == FArrows) return;
  FArrows = magnification;
  updateGeometry();
  update();
}

QString TStrainBar::ArrowText() const {
  return QString("arrows \u00d7%1").arg(FArrows, 0, 'g', 6);
}

QSize TStrainBar::sizeHint() const {
  const QFontMetrics metrics(LabelFont());
  int labels = 0;
  if (FScale)
    for (double tick : FScale->Ticks())
      labels =
          std::max(labels, metrics.horizontalAdvance(QString::fromStdString(FScale->Label(tick))));
  QFont bold = LabelFont();
  bold.setBold(true);
  const int title = QFontMetrics(bold).horizontalAdvance(InfoOf(FQuantity).Name);
  const int arrows = FArrows > 0 ? metrics.horizontalAdvance(ArrowText()) : 0;
  const int width =
      std::max({BarWidth + 8 + labels, metrics.horizontalAdvance(FUnit), title, arrows});
  return QSize(width + 2 * Padding, PreferredHeight + (FArrows > 0 ? metrics.height() + 4 : 0));
}

void TStrainBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QColor(120, 120, 120));
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
  if (!FScale) return;
  QFont font = LabelFont();
  const QFontMetrics metrics(font);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(Padding, Padding + metrics.ascent()), InfoOf(FQuantity).Name);
  font.setBold(false);
  painter.setFont(font);
  // Title, unit line, then the bar; half a label's height free below its last tick label.
  const int top = Padding + 2 * metrics.height() + 8;
  int bottom = height() - Padding - metrics.height() / 2;
  if (FArrows > 0) {
    // In the arrows' colour over a map.
    painter.drawText(QPoint(Padding, height() - Padding - metrics.descent()), ArrowText());
    bottom -= metrics.height() + 4;
  }
  if (bottom - top < 20) return;
  PaintColourBar(painter, QRectF(Padding, top, BarWidth, bottom - top), *FScale, FUnit);
}
