#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "strain/Plotquantity.h"
#include "strain/Plotscale.h"

// The colour bar of the strain map in the image view: the quantity's name, its unit, the bar
// with ticks and labels, and the arrows' magnification, on a pale panel that keeps it readable
// over any picture.
class TStrainBar : public QWidget {
  Q_OBJECT
 public:
  explicit TStrainBar(QWidget* parent = nullptr);

  void SetScale(TPlotQuantity quantity, const TPlotScale& scale, const QString& unit);
  // The magnification of the displacement arrows shown under the bar; 0 when none are drawn.
  void SetArrows(double magnification);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont LabelFont() const;
  QString ArrowText() const;

  TPlotQuantity FQuantity = TPlotQuantity::Exx;
  std::optional<TPlotScale> FScale;
  QString FUnit;
  double FArrows = 0;
};
