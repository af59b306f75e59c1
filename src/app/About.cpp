#include "app/About.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>
#include <QScreen>
#include <algorithm>

#include "app/platform/Platform.h"

namespace {

// The background: a deep blue gradient with a faint grid of dots, the subject of the program.
QPixmap BackgroundPicture(int width, int height) {
  QPixmap picture(width, height);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0.0, QColor(10, 28, 66));
  sky.setColorAt(0.55, QColor(18, 70, 112));
  sky.setColorAt(1.0, QColor(8, 40, 58));
  painter.fillRect(0, 0, width, height, sky);
  // A grid of dots that fades towards the left, slightly sheared as if the specimen deforms.
  const double pitch = 18;
  for (double y = 9; y < height; y += pitch) {
    for (double x = 9; x < width; x += pitch) {
      const double shear = 0.06 * (y - height / 2.0);
      const double alpha = std::clamp(40.0 + 130.0 * x / width, 0.0, 255.0);
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(160, 220, 255, static_cast<int>(alpha * 0.45)));
      painter.drawEllipse(QPointF(x + shear, y), 2.2, 2.2);
    }
  }
  QRadialGradient glow(width * 0.3, height * 0.42, width * 0.55);
  glow.setColorAt(0.0, QColor(0, 0, 0, 110));
  glow.setColorAt(1.0, QColor(0, 0, 0, 0));
  painter.fillRect(0, 0, width, height, glow);
  return picture;
}

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent, const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setMouseTracking(true);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(TPlatform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), FPlatform(platform) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  setFixedSize(ClientWidth, ClientHeight);
  setMouseTracking(true);

  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName("ProgramIcon");
  ProgramIcon->setGeometry(0, 0, ClientWidth, ClientHeight);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(BackgroundPicture(ClientWidth, ClientHeight));
  ProgramIcon->setMouseTracking(true);

  OrganisationLabel = NewLabel("OrganisationLabel", "Halvern Lab.", this, Qt::white);
  OrganisationLabel->move(5, 10);
  OrganisationLabel->adjustSize();

  ProductName = NewLabel("ProductName", "Halvern Tools", this, Qt::cyan);
  QFont title("serif");
  title.setStyleHint(QFont::Serif);
  title.setPointSize(26);
  title.setBold(true);
  title.setItalic(true);
  ProductName->setFont(title);
  ProductName->move(40, 96);
  ProductName->adjustSize();

  Version = NewLabel("Version", "Version  1.0", this, Qt::white);
  QFont bold = Version->font();
  bold.setBold(true);
  Version->setFont(bold);
  Version->move(44, 96 + ProductName->height() + 8);
  Version->adjustSize();

  NoticeLabel =
      NewLabel("NoticeLabel", "Copyright (C) Halvern Lab. All rights reserved.", this, Qt::white);
  NoticeLabel->move(40, 232);
  NoticeLabel->setFixedWidth(ClientWidth - 60);

  Comments = NewLabel("Comments", "Any Problems, please contact with    ", this, Qt::yellow);
  Comments->setWordWrap(true);
  Comments->setGeometry(40, 272, ClientWidth - 60, 20);

  MailToLabel = new TMailLabel(SupportAddress, this);
  MailToLabel->setObjectName("MailToLabel");
  MailToLabel->setTextFormat(Qt::PlainText);
  MailToLabel->setAttribute(Qt::WA_TranslucentBackground);
  MailToLabel->setMouseTracking(true);
  MailToLabel->setCursor(Qt::PointingHandCursor);
  MailToLabel->move(40, 296);
  MailToLabel->adjustSize();
  SetMailStyle(false);
  connect(MailToLabel, &TMailLabel::Moved, this, [this] { MailToLabelMouseMove(); });
  connect(MailToLabel, &TMailLabel::Clicked, this, [this] { MailToLabelClick(); });
}

void TAboutBox::SetMailStyle(bool hover) {
  QFont font = MailToLabel->font();
  font.setUnderline(hover);
  MailToLabel->setFont(font);
  QPalette palette = MailToLabel->palette();
  palette.setColor(QPalette::WindowText, hover ? Qt::red : Qt::yellow);
  MailToLabel->setPalette(palette);
}

void TAboutBox::ProgramIconClick() {
  reject();
}

void TAboutBox::ProgramIconMouseMove() {
  SetMailStyle(false);
}

void TAboutBox::MailToLabelMouseMove() {
  SetMailStyle(true);
}

void TAboutBox::MailToLabelClick() {
  FPlatform.OpenUrl(std::string("mailto:") + SupportAddress);
}

void TAboutBox::mouseMoveEvent(QMouseEvent* event) {
  // Movements over the background and the plain labels arrive here.
  ProgramIconMouseMove();
  event->accept();
}

void TAboutBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ProgramIconClick();
  event->accept();
}

void TAboutBox::showEvent(QShowEvent* event) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
  }
  QDialog::showEvent(event);
}
