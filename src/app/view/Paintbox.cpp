#include "app/view/Paintbox.h"

#include "app/view/Boxoverlay.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent), FSurface(*this) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TColor TPaintBox::Background() const {
  QColor c = palette().color(QPalette::Window);
  return TColor{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                static_cast<uint8_t>(c.blue())};
}

void TPaintBox::ResizeSurface(int32_t width, int32_t height) {
  FSurface.Reset(width, height, Background());
  SetZoom(FZoom);
  update();
}

TRgbSurface& TPaintBox::Shown() {
  return FOverlay != nullptr ? FOverlay->Picture() : FSurface;
}

QSize TPaintBox::PictureSize() const {
  const TRgbSurface& shown =
      FOverlay != nullptr ? FOverlay->Picture() : static_cast<const TRgbSurface&>(FSurface);
  return QSize(std::max(shown.Width(), 0), std::max(shown.Height(), 0));
}

void TPaintBox::SetOverlay(TBoxOverlay* overlay) {
  FOverlay = overlay;
  FReducedFactor = 0;  // the reduced copy is of the other picture
  SetZoom(FZoom);
  update();
}

void TPaintBox::SetZoom(double zoom) {
  FZoom = zoom > 0 ? zoom : 1.0;
  const double w = std::ceil(PictureSize().width() * FZoom);
  const double h = std::ceil(PictureSize().height() * FZoom);
  constexpr double largest = 16000000;  // below Qt's largest widget size
  setFixedSize(static_cast<int>(std::min(w, largest)), static_cast<int>(std::min(h, largest)));
  update();
}

QPoint TPaintBox::ToPicture(QPointF boxPoint) const {
  // The screen pixel under the point, then the picture pixel whose area holds that pixel's
  // centre: the same rule the drawing uses, so the pixel picked is the pixel seen.
  const double sx = std::floor(boxPoint.x()) + 0.5;
  const double sy = std::floor(boxPoint.y()) + 0.5;
  return QPoint(static_cast<int>(std::floor(sx / FZoom)), static_cast<int>(std::floor(sy / FZoom)));
}

QPoint TPaintBox::ToBox(int32_t x, int32_t y) const {
  return QPoint(static_cast<int>(std::ceil(x * FZoom - 0.5)),
                static_cast<int>(std::ceil(y * FZoom - 0.5)));
}

void TPaintBox::SetBand(std::optional<QRect> band) {
  FBand = band;
  update();
}

namespace {

// Means by multiplication: floor(sum * ceil(2^20 / n) / 2^20) is floor(sum / n) for sums up to
// 16 x 255, and a division per channel and pixel would cost more than all the sampling.
struct TMeans {
  std::array<uint32_t, 17> Reciprocal{};
  TMeans() {
    for (uint32_t n = 1; n < Reciprocal.size(); ++n) Reciprocal[n] = ((1u << 20) + n - 1) / n;
  }
  uint8_t operator()(uint32_t sum, uint32_t n) const {
    return static_cast<uint8_t>((sum * Reciprocal[n]) >> 20);
  }
};
const TMeans Mean;

}  // namespace

const uint8_t* TPaintBox::Reduced(int factor, int32_t& width, int32_t& height) {
  TRgbSurface& shown = Shown();
  const int32_t w = shown.Width(), h = shown.Height();
  const int32_t rw = (w + factor - 1) / factor, rh = (h + factor - 1) / factor;
  TSurface::TBox changed = shown.TakeChanged();
  if (factor != FReducedFactor || rw != FReducedWidth || rh != FReducedHeight) {
    FReduced.assign(static_cast<size_t>(rw) * static_cast<size_t>(rh) * 3, 0);
    FReducedFactor = factor;
    FReducedWidth = rw;
    FReducedHeight = rh;
    changed = TSurface::TBox{0, 0, w, h};
  }
  width = rw;
  height = rh;
  const int32_t x0 = changed.Left / factor, x1 = (changed.Right + factor - 1) / factor;
  const int32_t y0 = changed.Top / factor, y1 = (changed.Bottom + factor - 1) / factor;
  if (x0 >= x1 || y0 >= y1) return FReduced.data();
  const uint8_t* pixels = shown.Data();
  const size_t stride = static_cast<size_t>(w) * 3;
  std::vector<uint32_t> sums(static_cast<size_t>(x1 - x0) * 3);
  for (int32_t by = y0; by < y1; ++by) {
    std::fill(sums.begin(), sums.end(), 0u);
    const int32_t top = by * factor, bottom = std::min(h, top + factor);
    for (int32_t y = top; y < bottom; ++y) {
      const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
      for (int32_t bx = x0; bx < x1; ++bx) {
        uint32_t* sum = &sums[static_cast<size_t>(bx - x0) * 3];
        const int32_t right = std::min(w, (bx + 1) * factor);
        for (int32_t x = bx * factor; x < right; ++x) {
          sum[0] += row[3 * x];
          sum[1] += row[3 * x + 1];
          sum[2] += row[3 * x + 2];
        }
      }
    }
    uint8_t* out = FReduced.data() + (static_cast<size_t>(by) * static_cast<size_t>(rw) + x0) * 3;
    for (int32_t bx = x0; bx < x1; ++bx, out += 3) {
      const uint32_t n =
          static_cast<uint32_t>((bottom - top) * (std::min(w, (bx + 1) * factor) - bx * factor));
      const uint32_t* sum = &sums[static_cast<size_t>(bx - x0) * 3];
      out[0] = Mean(sum[0], n);
      out[1] = Mean(sum[1], n);
      out[2] = Mean(sum[2], n);
    }
  }
  return FReduced.data();
}

void TPaintBox::PaintPicture(QPainter& painter, const QRect& area) {
  // Only the screen pixels asked for are made, so the cost follows the window's size, not the
  // picture's. Zoomed in or 1:1, a screen pixel shows the picture pixel under its centre.
  // Zoomed out, it shows the mean of a few samples spread evenly over its footprint, taken from
  // the picture reduced to block means: a single sample would make a regular dot grid shimmer
  // into moire patterns.
  const TRgbSurface& shown = Shown();
  int32_t w = shown.Width(), h = shown.Height();
  const uint8_t* pixels = shown.Data();
  double zoom = FZoom;
  if (FZoom < 1 && w > 0 && h > 0) {
    const int factor = FZoom >= 0.5 ? 2 : 4;
    pixels = Reduced(factor, w, h);
    zoom = FZoom * factor;
  }
  QImage block(area.size(), QImage::Format_RGB32);
  const QRgb fill = palette().color(QPalette::Window).rgb();
  const int k = zoom >= 1 ? 1 : std::min(Samples, static_cast<int>(std::ceil(1 / zoom)));
  auto sample = [&](int screen, int s) {
    return static_cast<int32_t>(std::floor((screen + (s + 0.5) / k) / zoom));
  };
  // Per screen column, the byte offsets of its samples in a surface row and how many of them lie
  // inside the picture (0: beyond its right edge).
  std::vector<int32_t> columns(static_cast<size_t>(area.width()) * k);
  std::vector<uint8_t> inside(static_cast<size_t>(area.width()));
  for (int i = 0; i < area.width(); ++i) {
    int m = 0;
    for (int s = 0; s < k; ++s) {
      const int32_t sx = sample(area.left() + i, s);
      columns[static_cast<size_t>(i * k + s)] = sx < w ? 3 * sx : 0;
      if (sx < w && m == s) ++m;
    }
    inside[static_cast<size_t>(i)] = static_cast<uint8_t>(m);
  }
  const size_t stride = static_cast<size_t>(w) * 3;
  std::vector<const uint8_t*> rows(static_cast<size_t>(k));
  for (int j = 0; j < area.height(); ++j) {
    auto* out = reinterpret_cast<QRgb*>(block.scanLine(j));
    int n = 0;
    for (int s = 0; s < k; ++s) {
      const int32_t sy = sample(area.top() + j, s);
      if (sy < h) rows[static_cast<size_t>(n++)] = pixels + static_cast<size_t>(sy) * stride;
    }
    if (n == 0 || w == 0) {
      std::fill_n(out, area.width(), fill);
      continue;
    }
    if (k == 1) {
      const uint8_t* row = rows[0];
      for (int i = 0; i < area.width(); ++i) {
        const uint8_t* p = row + columns[static_cast<size_t>(i)];
        out[i] = inside[static_cast<size_t>(i)] != 0 ? qRgb(p[0], p[1], p[2]) : fill;
      }
      continue;
    }
    for (int i = 0; i < area.width(); ++i) {
      const int m = inside[static_cast<size_t>(i)];
      if (m == 0) {
        out[i] = fill;
        continue;
      }
      const int32_t* cols = &columns[static_cast<size_t>(i * k)];
      uint32_t r = 0, g = 0, b = 0;
      for (int t = 0; t < n; ++t) {
        const uint8_t* row = rows[static_cast<size_t>(t)];
        for (int s = 0; s < m; ++s) {
          const uint8_t* p = row + cols[s];
          r += p[0];
          g += p[1];
          b += p[2];
        }
      }
      const uint32_t count = static_cast<uint32_t>(m * n);
      out[i] = qRgb(Mean(r, count), Mean(g, count), Mean(b, count));
    }
  }
  painter.drawImage(area.topLeft(), block);
}

void TPaintBox::PlaceLabels(const QFontMetrics& metrics) {
  FPlaced.clear();
  FPlacedVersion = FSurface.LabelVersion();
  FPlacedZoom = FZoom;
  const std::vector<TViewSurface::TLabel>& labels = FSurface.Labels();
  // Labels that would cover one another are left out, the latest kept first (the dot just
  // picked wins over older labels); zoomed in far enough, every label finds room. The choice
  // is made for the whole box at once, so that repainting a part never shows another set.
  constexpr int cell = 64;
  std::unordered_map<int64_t, std::vector<size_t>> grid;
  auto key = [](int gx, int gy) { return (int64_t{gy} << 32) ^ static_cast<uint32_t>(gx); };
  const int height = metrics.height();
  for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
    const QString text = QString::fromStdString(it->Text);
    const QPoint at = ToBox(it->X, it->Y);
    const QRect r(at.x(), at.y(), metrics.horizontalAdvance(text) + 4, height);
    if (!r.intersects(rect())) continue;
    const int c0 = r.left() / cell, c1 = r.right() / cell;
    const int r0 = r.top() / cell, r1 = r.bottom() / cell;
    bool free = true;
    for (int gy = r0; gy <= r1 && free; ++gy)
      for (int gx = c0; gx <= c1 && free; ++gx) {
        auto found = grid.find(key(gx, gy));
        if (found == grid.end()) continue;
        for (size_t k : found->second)
          if (FPlaced[k].Box.intersects(r)) free = false;
      }
    if (!free) continue;
    for (int gy = r0; gy <= r1; ++gy)
      for (int gx = c0; gx <= c1; ++gx) grid[key(gx, gy)].push_back(FPlaced.size());
    FPlaced.push_back(TPlacedLabel{r, text});
  }
}

std::vector<QRect> TPaintBox::ShownLabels() {
  const QFontMetrics metrics(LabelFont());
  if (FPlacedVersion != FSurface.LabelVersion() || FPlacedZoom != FZoom) PlaceLabels(metrics);
  std::vector<QRect> boxes;
  for (const TPlacedLabel& label : FPlaced) boxes.push_back(label.Box);
  return boxes;
}

QFont TPaintBox::LabelFont() const {
  QFont font = this->font();
  font.setPixelSize(11);
  return font;
}

void TPaintBox::PaintLabels(QPainter& painter, const QRect& area) {
  if (FSurface.Labels().empty()) return;
  const QFont font = LabelFont();
  painter.setFont(font);
  const QFontMetrics metrics(font);
  if (FPlacedVersion != FSurface.LabelVersion() || FPlacedZoom != FZoom) PlaceLabels(metrics);
  const QColor box(255, 255, 150), edge(0, 0, 128);
  painter.setPen(Qt::black);
  for (const TPlacedLabel& label : FPlaced) {
    const QRect r = label.Box;
    if (!r.adjusted(-1, 0, 0, 0).intersects(area)) continue;
    painter.fillRect(r, box);
    // The dark edge marks where the label, and the centre of its dot, begins.
    painter.fillRect(QRect(r.left() - 1, r.top(), 1, r.height()), edge);
    painter.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, label.Text);
  }
}

void TPaintBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect().intersected(rect());
  if (!area.isEmpty()) PaintPicture(painter, area);
  if (FOverlay != nullptr)
    FOverlay->PaintOver(painter, area, FZoom);
  else
    PaintLabels(painter, area);
  if (FBand) {
    // Dotted, black over white, so that it shows on dark and bright pictures alike.
    const QPoint a = ToBox(FBand->left(), FBand->top());
    const QPoint b = ToBox(FBand->right() + 1, FBand->bottom() + 1);
    const QRect r(a, QPoint(std::max(b.x() - 1, a.x()), std::max(b.y() - 1, a.y())));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(r);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(r);
  }
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = ToPicture(event->position());
  if (event->button() == Qt::LeftButton) FLeftDown = true;
  if (OnMouseDown) OnMouseDown(p.x(), p.y(), event->button());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = ToPicture(event->position());
  if (OnMouseMove) OnMouseMove(p.x(), p.y());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = ToPicture(event->position());
  bool click = event->button() == Qt::LeftButton && FLeftDown &&
               rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) FLeftDown = false;
  if (OnMouseUp) OnMouseUp(p.x(), p.y(), event->button());
  if (click && OnClick) OnClick();
}
