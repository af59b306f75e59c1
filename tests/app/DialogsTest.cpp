// The dialogs of the application with their built-in texts and defaults, the toggle buttons of
// the encode parameter dialog, the coordinate size dialog and the About box.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include "AppTest.h"
#include "app/Imageview.h"
#include "encode/Encode.h"
#include "encode/Encodeparameter.h"
#include "encode/Resetcoordinate.h"
#include "image/Filter.h"
#include "match/Matchresult.h"
#include "segment/Segmentparameter.h"
#include "segment/Simplesegmentparameter.h"

using namespace AppTest;

namespace {

// The text a control shows: a list's entries joined by "|", a dialog's caption.
QString Text(const QObject* o) {
  if (auto* label = qobject_cast<const QLabel*>(o)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(o)) return button->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(o)) return edit->text();
  if (auto* group = qobject_cast<const QGroupBox*>(o)) return group->title();
  if (auto* list = qobject_cast<const QComboBox*>(o)) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries.join('|');
  }
  if (auto* tabs = qobject_cast<const QTabWidget*>(o)) {
    QStringList pages;
    for (int i = 0; i < tabs->count(); ++i) pages << tabs->tabText(i);
    return pages.join('|');
  }
  return qobject_cast<const QWidget*>(o)->windowTitle();
}

using TTexts = std::vector<std::pair<const QObject*, const char*>>;

void CompareTexts(const TTexts& texts) {
  for (const auto& [control, text] : texts) QCOMPARE(Text(control), QString(text));
}

}  // namespace

class TDialogsTest : public TFormTest {
  Q_OBJECT

 private slots:
  void DialogsOpenWithTheirBuiltInTexts() {
    TSegmentParameterForm& s = Parameters();
    TEncodeParameterForm& e = EncodeParameters();
    TFilterForm f;
    TSimpleSegmentParameterForm h;
    TReSetCoordinateForm c;
    TMatchResultForm m;
    CompareTexts({{&s, "Segment  Parameter"},
                  {s.GroupBox1, "Multi-Area Segment  Para."},
                  {s.Label9, "Win.  Size"},
                  {s.SegmentWinSizeEdit, "150"},
                  {s.WinSizeLessThanLabel, "No Larger Than  000 "},
                  {s.Label10, "Adjust"},
                  {s.AdjustThresholdEdit, "0"},
                  {s.GroupBox2, "Modify Image"},
                  {s.Label1, "x"},
                  {s.Label2, "y"},
                  {s.Label31, "dx"},
                  {s.Label32, "dy"},
                  {s.DyEdit, "0"},
                  {s.ModifySegmentButton, "Modify"},
                  {s.CloseButton, "Close"},
                  {&f, "Remove Noise"},
                  {f.Label1, "Select  Filter  Type"},
                  {f.FilterTypeComboBox, "Median Filter"},
                  {f.TrackBarValueLabel, "3"},
                  {f.BitBtn1, "OK"},
                  {f.BitBtn2, "Cancel"},
                  {&h, "Simple Segment Parameter"},
                  {h.Label1, " Simple  Segment   Threshold"},
                  {h.SimpleSegmentThresholdEdit, "128"},
                  {h.BitBtn2, "OK"},
                  {h.BitBtn1, "Cancel"},
                  {&e, "Encode Parameter"},
                  {e.PageControl, "Encode|View  && Modify|Set Origin|Set dx dy"},
                  {e.EncodeInfoGroupBox, "Encode Infomation"},
                  {e.MethodLabel, "Automatic Choose Origin Method"},
                  {e.ChooseOriginMethodComboBox,
                   "Max Area|Center Index Dot|Center Grid Dot|Center Image Dot"},
                  {e.AreaLabel, "The Least Grid Area"},
                  {e.AreaThresholdEdit, "100"},
                  {e.AutoButton, "Auto"},
                  {e.GridInfoGroupBox, "Grid Information"},
                  {e.IndexEdit, "-1"},
                  {e.NyEdit, "0"},
                  {e.CodedCheckBox, "Coded"},
                  {e.NetedCheckBox, "Neted"},
                  {e.ModifyCoordButton, "Modify Coord."},
                  {e.ModifyOriginButton, "Modify  Origin"},
                  {e.ViewModeGroupBox, "View Mode"},
                  {e.PassViewRadioButton, "Pass View"},
                  {e.ClickViewRadioButton, "Click  View"},
                  {e.UpSpeedButton, "Up"},
                  {e.LeftSpeedButton, "Left"},
                  {e.OriginSpeedButton, "Origin"},
                  {e.RightSpeedButton, "Right"},
                  {e.DownSpeedButton, "down"},
                  {e.SetOriginNyEdit, "0"},
                  {e.SetButton, "Set"},
                  {e.SetOriginStartButton, "Start Encode Again"},
                  {e.IntervalLabel, "Give the interval of the grid image "},
                  {e.DyEdit, "0"},
                  {e.SetDxDyStartButton, "Start Encode Again"},
                  {&c, "Re-Set the Coordinate System"},
                  {c.NoteLabel,
                   "If you change it, it will effect the next NEW encode, not effect currently "
                   "encode"},
                  {c.Label1, "Maxium  X"},
                  {c.Label2, "Maxuim Y"},
                  {&m, "Select Result Type"},
                  {m.Label1, "Select Result Type"},
                  {m.MatchResultTypeComboBox,
                   "x y  Theta  R|x y  dx     dy|x y  dx|x y  dy|index x y dx   dy|index x y Theta "
                   "R|nx ny x y dx   dy|nx ny x y Theta R"},
                  {m.ChangeYaxisCheckBox, "Change Y axis"},
                  {m.OKButton, "OK"},
                  {m.CancelButton, "Cancel"}});
    QCOMPARE(s.AdjustThresholdEdit->toolTip(),
             QString("Simple segment use this as  the Threshold"));
    QCOMPARE(s.ModifySegmentButton->toolTip(), QString("Use the current Grid attributes"));
    QCOMPARE(e.AutoButton->toolTip(), QString("Set Black or White Grid First!!!"));
    QCOMPARE(s.pos(), QPoint(617, 118));
    QVERIFY(!s.isVisible() && (s.windowFlags() & Qt::Tool));
    QVERIFY(!e.isVisible() && (e.windowFlags() & Qt::Tool));
    QCOMPARE(f.MedianFilterTrackBar->value(), 3);
    QCOMPARE(f.MedianFilterTrackBar->maximum(), 10);
    QCOMPARE(h.HistogramImage->PaintBox()->size(), QSize(256, 110));
    QCOMPARE(e.ChooseOriginMethodComboBox->currentIndex(), 2);
    QVERIFY(!e.ChooseOriginMethodComboBox->isEditable());
    for (QLineEdit* edit : {e.IndexEdit, e.AreaEdit, e.FxEdit, e.FyEdit})
      QVERIFY(edit->isReadOnly());
    QVERIFY(!e.NxEdit->isReadOnly() && !e.NyEdit->isReadOnly());
    QCOMPARE(e.ViewMode(), 1);
    QCOMPARE(e.IntervalImage->size(), QSize(160, 130));
    QVERIFY(!e.IntervalImage->pixmap().isNull());
    QCOMPARE(m.MatchResultTypeComboBox->currentIndex(), 0);
    QVERIFY(m.ChangeYaxisCheckBox->isChecked());
    // The View menu shows the tool dialog without waiting.
    Trigger(Form(), "EncodeParameterMenuItem");
    QVERIFY(e.isVisible());
  }

  void ToggleButtonsStandAsACrossShowTheirSlotsAndStayExclusive() {
    TEncodeParameterForm& p = EncodeParameters();
    p.PageControl->setCurrentIndex(2);
    p.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p));
    QCOMPARE(p.ActiveSlot(), TEncodeParameterForm::OriginSlot);
    QVERIFY(p.OriginSpeedButton->isChecked());
    const QPoint o = p.OriginSpeedButton->geometry().center();
    auto offset = [&](QToolButton* b) { return b->geometry().center() - o; };
    QVERIFY(offset(p.UpSpeedButton).x() == 0 && offset(p.UpSpeedButton).y() < 0);
    QVERIFY(offset(p.DownSpeedButton).x() == 0 && offset(p.DownSpeedButton).y() > 0);
    QVERIFY(offset(p.LeftSpeedButton).y() == 0 && offset(p.LeftSpeedButton).x() < 0);
    QVERIFY(offset(p.RightSpeedButton).y() == 0 && offset(p.RightSpeedButton).x() > 0);
    Form().FOriginDot = 4;
    Form().FNeighbourDots = {10, 11, 12, 13};
    const std::vector<std::pair<QToolButton*, int>> order = {{p.RightSpeedButton, 10},
                                                             {p.DownSpeedButton, 11},
                                                             {p.LeftSpeedButton, 12},
                                                             {p.UpSpeedButton, 13},
                                                             {p.OriginSpeedButton, 4}};
    for (auto [button, value] : order) {
      Press(button);
      QCOMPARE(p.DirectSetOriginEdit->text(), QString::number(value));
      int down = 0;
      for (auto [other, unused] : order) down += other->isChecked();
      QVERIFY(down == 1 && button->isChecked());
      QCOMPARE(p.SlotValue(p.ActiveSlot()), value);
    }
    Press(p.OriginSpeedButton);  // the button that is already down stays down
    QVERIFY(p.OriginSpeedButton->isChecked());
  }

  void SetCoordinateSizesTheNextJobOnly() {
    WriteDots(Work("dots.bmp"), 120, 100, Lattice(20, 20, 16, 16, 5, 4), 4);
    NewEncode("dots.bmp");
    auto answer = [this](const char* nx, const char* ny, bool ok) {
      FPlatform->DialogScripts.push_back([=, this](QDialog& dialog) {
        auto& d = static_cast<TReSetCoordinateForm&>(dialog);
        QCOMPARE(d.MaxNxEdit->text(), QString::number(Form().MaxNx));
        QCOMPARE(d.MaxNyEdit->text(), QString::number(Form().MaxNy));
        d.MaxNxEdit->setText(nx);
        d.MaxNyEdit->setText(ny);
        Press(ok ? d.OKButton : d.CancelButton);
      });
      Trigger(Form(), "SetCoordinateToolButtonAction");
    };
    answer("1", "1", false);
    QCOMPARE(Form().MaxNx, 50);
    answer("60", "40", true);
    QCOMPARE(Form().MaxNx, 60);
    QCOMPARE(Form().MaxNy, 40);
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNx(), 50);  // the current job keeps its table
    NewEncode("dots.bmp");
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNx(), 60);
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNy(), 40);
    // A bad second field leaves the new first one.
    answer("70", "y", true);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'y' is not a valid integer value."});
    QCOMPARE(Form().MaxNx, 70);
    QCOMPARE(Form().MaxNy, 40);
    // Sizes no table can have: the next job refuses them.
    answer("-1", "5", true);
    NewEncode("dots.bmp");
    QCOMPARE(FPlatform->Errors.back(),
             std::string("No enough memory to allocate Coordinate System."));
    QVERIFY(!Form().FEncoder);
    QCOMPARE(FPlatform->DialogTitles.at(0), std::string("Re-Set the Coordinate System"));
  }

  void AboutBoxClosesOnClickButNotOnItsMailLink() {
    bool scripted = false;
    FPlatform->DialogScripts.push_back([&](QDialog& box) {
      scripted = true;
      QCOMPARE(box.size(), QSize(430, 369));
      QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
      auto* mail = box.findChild<QLabel*>("MailToLabel");
      auto* name = box.findChild<QLabel*>("ProductName");
      CompareTexts({{name, "Halvern Tools"},
                    {box.findChild<QLabel*>("Version"), "Version  1.0"},
                    {box.findChild<QLabel*>("Comments"), "Any Problems, please contact with    "},
                    {mail, "support@latticor.example"}});
      QCOMPARE(mail->cursor().shape(), Qt::PointingHandCursor);
      auto colour = [&] { return mail->palette().color(QPalette::WindowText); };
      QCOMPARE(colour(), QColor(Qt::yellow));
      MoveMouse(mail, QPoint(3, 3));
      QTRY_VERIFY(mail->font().underline());
      QCOMPARE(colour(), QColor(Qt::red));
      QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(3, 3));
      QVERIFY(box.isVisible());
      MoveMouse(&box, QPoint(300, 40));
      QTRY_VERIFY(!mail->font().underline());
      QCOMPARE(colour(), QColor(Qt::yellow));
      QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(5, 5));
      QVERIFY(!box.isVisible());
    });
    Trigger(Form(), "AboutToolButtonAction");
    QVERIFY(scripted);
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"About"});
    QCOMPARE(FPlatform->Urls, std::vector<std::string>{"mailto:support@latticor.example"});
  }
};

LATTICOR_APP_TEST_MAIN(TDialogsTest)
#include "DialogsTest.moc"
