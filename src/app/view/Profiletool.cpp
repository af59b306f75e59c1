#include "app/view/Profiletool.h"

#include <QAction>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/match/Strainoverlay.h"
#include "app/view/Profileform.h"
#include "app/view/Viewprobe.h"
#include "base/Error.h"
#include "strain/Plotgeometry.h"

// The line being drawn, over the paint box at screen resolution and out of the mouse's way.
class TProfileLine : public QWidget {
 public:
  explicit TProfileLine(TPaintBox* box) : QWidget(box), FBox(box) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
  }
  void Show(QPointF from, QPointF to) {
    FFrom = from;
    FTo = to;
    setGeometry(FBox->rect());
    show();
    raise();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double zoom = FBox->Zoom();
    const QLineF line((FFrom + QPointF(0.5, 0.5)) * zoom, (FTo + QPointF(0.5, 0.5)) * zoom);
    painter.setPen(QPen(Qt::white, 4));
    painter.drawLine(line);
    painter.setPen(QPen(QColor(230, 0, 180), 2));
    painter.drawLine(line);
  }

 private:
  TPaintBox* FBox;
  QPointF FFrom, FTo;
};

TProfileTool::TProfileTool(TMainForm& form, QAction* toggle)
    : QObject(&form), FForm(form), FToggle(toggle), FLine(new TProfileLine(form.PaintBox())) {
  form.PaintBox()->installEventFilter(this);
  connect(toggle, &QAction::toggled, this, [this](bool on) {
    if (!on) FLine->hide();
    FFrom.reset();
  });
}

TProfileForm* TProfileTool::Window() const {
  return FWindow;
}

bool TProfileTool::Active() const {
  return FToggle->isChecked();
}

bool TProfileTool::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FForm.PaintBox()) return false;
  if (event->type() == QEvent::Resize && FLine->isVisible())
    FLine->setGeometry(FForm.PaintBox()->rect());  // a new zoom
  if (!Active()) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  // The left button draws the line; other buttons and a plain movement go on as usual.
  const bool left = type == QEvent::MouseMove ? (mouse->buttons() & Qt::LeftButton) != 0
                                              : mouse->button() == Qt::LeftButton;
  if (!left) return false;
  const QPointF at(FForm.PaintBox()->ToPicture(mouse->position()));
  if (type == QEvent::MouseButtonPress) {
    FFrom = at;
    FLine->Show(at, at);
  } else if (FFrom && type == QEvent::MouseMove) {
    FLine->Show(*FFrom, at);
    return false;  // the status bar still follows the mouse
  } else if (FFrom) {
    const QPointF from = *FFrom;
    FFrom.reset();
    FLine->Show(from, at);
    if (QLineF(from, at).length() >= 2) FForm.RunCommand([&] { ShowProfile(from, at); });
  }
  return true;
}

void TProfileTool::ShowProfile(QPointF from, QPointF to) {
  TCurveChart chart;
  std::vector<TProfilePoint> points;
  QString name = "gray";
  const QString line =
      QString("(%1, %2) to (%3, %4)").arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y());
  chart.Title = "Along " + line;
  chart.XLabel = "distance from the start (picture pixels)";
  auto* map = dynamic_cast<TStrainOverlay*>(FForm.PaintBox()->Overlay());
  if (map != nullptr && map->HasMap() && map->Field() != nullptr) {
    const TPlotQuantity quantity = map->Quantity();
    name = InfoOf(quantity).Name;
    points = FieldProfile(*map->Field(), *map->Geometry(), quantity, from, to);
    chart.Title = name + " at the dots within half a pitch of " + line;
    chart.YLabel = name;
  } else {
    const TGrayImage* picture = PictureShown(FForm);
    if (picture == nullptr) throw TError("No picture is shown: open one to draw its profile");
    points = GrayProfile(*picture, from, to);
    chart.YLabel = "gray value";
  }
  TCurveSeries series{name, QColor(0, 114, 178), {}, points.size() < 200};
  for (const TProfilePoint& p : points) series.Points.emplace_back(p.Distance, p.Value);
  chart.Series.push_back(std::move(series));
  if (FWindow == nullptr) {
    FWindow = new TProfileForm(FForm);
    // Under the view only: the docks beside it keep their height.
    FForm.setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    FForm.setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    FForm.addDockWidget(Qt::BottomDockWidgetArea, FWindow);
  }
  FWindow->SetProfile(chart, std::move(points), name);
  FWindow->show();
  FWindow->raise();
}
