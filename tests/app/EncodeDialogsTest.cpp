// The dialogs of the Encode and Match menus with their built-in texts and defaults, and the
// commands of the main window that open them.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "AppTest.h"
#include "EncodeSupport.h"
#include "FormFixture.h"
#include "encode/Encodeparameter.h"
#include "encode/Resetcoordinate.h"
#include "match/Matchresult.h"

using namespace AppTest;

namespace {

bool RedBold(const QWidget* w) {
  return w->palette().color(QPalette::WindowText) == QColor(Qt::red) && w->font().bold();
}

}  // namespace

class TEncodeDialogsTest : public QObject, TFormFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() {
    const std::string problems = Finish();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  void EncodeParameterDialogHasFourTabsWithTheirDefaults() {
    TEncodeParameterForm& p = EncodeParameters();
    QVERIFY(!p.isVisible());
    QVERIFY(p.windowFlags() & Qt::Tool);
    QCOMPARE(p.windowTitle(), QString("Encode Parameter"));
    QStringList tabs;
    for (int i = 0; i < p.PageControl->count(); ++i) tabs << p.PageControl->tabText(i);
    QCOMPARE(tabs, QStringList({"Encode", "View  && Modify", "Set Origin", "Set dx dy"}));
    // Encode
    QCOMPARE(p.EncodeInfoGroupBox->title(), QString("Encode Infomation"));
    QCOMPARE(p.MethodLabel->text(), QString("Automatic Choose Origin Method"));
    QCOMPARE(p.MethodLabel->palette().color(QPalette::WindowText), QColor(Qt::red));
    QStringList methods;
    for (int i = 0; i < p.ChooseOriginMethodComboBox->count(); ++i)
      methods << p.ChooseOriginMethodComboBox->itemText(i);
    QCOMPARE(methods,
             QStringList({"Max Area", "Center Index Dot", "Center Grid Dot", "Center Image Dot"}));
    QVERIFY(!p.ChooseOriginMethodComboBox->isEditable());
    QCOMPARE(p.ChooseOriginMethodComboBox->currentIndex(), 2);
    QCOMPARE(p.AreaLabel->text(), QString("The Least Grid Area"));
    QCOMPARE(p.AreaThresholdEdit->text(), QString("100"));
    QCOMPARE(p.AutoButton->text(), QString("Auto"));
    QCOMPARE(p.AutoButton->toolTip(), QString("Set Black or White Grid First!!!"));
    // View & Modify
    QCOMPARE(p.GridInfoGroupBox->title(), QString("Grid Information"));
    QCOMPARE(p.IndexEdit->text(), QString("-1"));
    for (QLineEdit* e : {p.AreaEdit, p.FxEdit, p.FyEdit, p.NxEdit, p.NyEdit})
      QCOMPARE(e->text(), QString("0"));
    for (QLineEdit* e : {p.IndexEdit, p.AreaEdit, p.FxEdit, p.FyEdit}) QVERIFY(e->isReadOnly());
    QVERIFY(!p.NxEdit->isReadOnly() && !p.NyEdit->isReadOnly());
    QCOMPARE(p.CodedCheckBox->text(), QString("Coded"));
    QCOMPARE(p.NetedCheckBox->text(), QString("Neted"));
    QCOMPARE(p.ModifyCoordButton->text(), QString("Modify Coord."));
    QCOMPARE(p.ModifyOriginButton->text(), QString("Modify  Origin"));
    QCOMPARE(p.ViewModeGroupBox->title(), QString("View Mode"));
    QCOMPARE(p.PassViewRadioButton->text(), QString("Pass View"));
    QCOMPARE(p.ClickViewRadioButton->text(), QString("Click  View"));
    QCOMPARE(p.ViewMode(), 1);
    // Set Origin: the five toggle buttons as a cross, "Origin" down.
    p.PageControl->setCurrentIndex(2);
    p.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p));
    QCOMPARE(p.ActiveSlot(), TEncodeParameterForm::OriginSlot);
    QVERIFY(p.OriginSpeedButton->isChecked());
    const QPoint o = p.OriginSpeedButton->geometry().center();
    QVERIFY(p.UpSpeedButton->geometry().center().x() == o.x() &&
            p.UpSpeedButton->geometry().center().y() < o.y());
    QVERIFY(p.DownSpeedButton->geometry().center().x() == o.x() &&
            p.DownSpeedButton->geometry().center().y() > o.y());
    QVERIFY(p.LeftSpeedButton->geometry().center().y() == o.y() &&
            p.LeftSpeedButton->geometry().center().x() < o.x());
    QVERIFY(p.RightSpeedButton->geometry().center().y() == o.y() &&
            p.RightSpeedButton->geometry().center().x() > o.x());
    QStringList toggles;
    for (QToolButton* b : {p.UpSpeedButton, p.LeftSpeedButton, p.OriginSpeedButton,
                           p.RightSpeedButton, p.DownSpeedButton})
      toggles << b->text();
    QCOMPARE(toggles, QStringList({"Up", "Left", "Origin", "Right", "down"}));
    for (QLineEdit* e : {p.DirectSetOriginEdit, p.SetOriginNxEdit, p.SetOriginNyEdit})
      QCOMPARE(e->text(), QString("0"));
    QCOMPARE(p.SetButton->text(), QString("Set"));
    QCOMPARE(p.SetOriginStartButton->text(), QString("Start Encode Again"));
    // Set dx dy
    QCOMPARE(p.IntervalLabel->text(), QString("Give the interval of the grid image "));
    QVERIFY(p.IntervalLabel->wordWrap());
    QCOMPARE(p.IntervalImage->size(), QSize(160, 130));
    QVERIFY(!p.IntervalImage->pixmap().isNull());
    QVERIFY(RedBold(p.findChild<QLabel*>("DxLabel")) && RedBold(p.findChild<QLabel*>("DyLabel")));
    QCOMPARE(p.DxEdit->text(), QString("0"));
    QCOMPARE(p.DyEdit->text(), QString("0"));
    QCOMPARE(p.SetDxDyStartButton->text(), QString("Start Encode Again"));
    // The View menu shows it, without waiting.
    p.hide();
    Trigger(Form(), "EncodeParameterMenuItem");
    QVERIFY(p.isVisible());
  }

  void ToggleButtonsShowTheirSlotsAndStayExclusive() {
    TEncodeParameterForm& p = EncodeParameters();
    Form().FOriginDot = 4;
    Form().FNeighbourDots = {10, 11, 12, 13};
    const std::vector<std::pair<QToolButton*, int>> order = {{p.RightSpeedButton, 10},
                                                             {p.DownSpeedButton, 11},
                                                             {p.LeftSpeedButton, 12},
                                                             {p.UpSpeedButton, 13},
                                                             {p.OriginSpeedButton, 4}};
    for (auto [button, value] : order) {
      QTest::mouseClick(button, Qt::LeftButton);
      QCOMPARE(p.DirectSetOriginEdit->text(), QString::number(value));
      int down = 0;
      for (auto [other, unused] : order) down += other->isChecked();
      QCOMPARE(down, 1);
      QVERIFY(button->isChecked());
      QCOMPARE(p.SlotValue(p.ActiveSlot()), value);
    }
    // Pressing the button that is already down keeps it down.
    QTest::mouseClick(p.OriginSpeedButton, Qt::LeftButton);
    QVERIFY(p.OriginSpeedButton->isChecked());
  }

  void SetCoordinateSizesTheNextJobOnly() {
    EncodeSupport::WriteDots(Work("dots.bmp"), 120, 100,
                             EncodeSupport::Lattice(20, 20, 16, 16, 5, 4), 4);
    NewEncode("dots.bmp");
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& d = static_cast<TReSetCoordinateForm&>(dialog);
      QCOMPARE(d.NoteLabel->text(),
               QString("If you change it, it will effect the next NEW encode, not effect "
                       "currently encode"));
      QVERIFY(RedBold(d.NoteLabel) && d.NoteLabel->wordWrap());
      QCOMPARE(d.Label1->text(), QString("Maxium  X"));
      QCOMPARE(d.Label2->text(), QString("Maxuim Y"));
      QCOMPARE(d.MaxNxEdit->text(), QString("50"));
      QCOMPARE(d.MaxNyEdit->text(), QString("50"));
      d.MaxNxEdit->setText("1");
      QTest::mouseClick(d.CancelButton, Qt::LeftButton);
    });
    Trigger(Form(), "SetCoordinateToolButtonAction");
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"Re-Set the Coordinate System"});
    QCOMPARE(Form().MaxNx, 50);
    auto answer = [this](const char* nx, const char* ny) {
      FPlatform->DialogScripts.push_back([=](QDialog& dialog) {
        auto& d = static_cast<TReSetCoordinateForm&>(dialog);
        d.MaxNxEdit->setText(nx);
        d.MaxNyEdit->setText(ny);
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
      });
      Trigger(Form(), "SetCoordinateMenuItem");
    };
    answer("60", "40");
    QCOMPARE(Form().MaxNx, 60);
    QCOMPARE(Form().MaxNy, 40);
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNx(), 50);  // the current job keeps its table
    NewEncode("dots.bmp");
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNx(), 60);
    QCOMPARE(Form().FEncoder->FCoordinate.MaxNy(), 40);
    // A bad second field leaves the new first one.
    answer("70", "y");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'y' is not a valid integer value."});
    QCOMPARE(Form().MaxNx, 70);
    QCOMPARE(Form().MaxNy, 40);
    // Sizes no table can have: the next job refuses them.
    answer("-1", "5");
    NewEncode("dots.bmp");
    QCOMPARE(FPlatform->Errors.back(),
             std::string("No enough memory to allocate Coordinate System."));
    QVERIFY(!Form().FEncoder);
  }

  void ResultTypeDialogOffersEightLayouts() {
    TMatchResultForm d;
    QCOMPARE(d.windowTitle(), QString("Select Result Type"));
    QCOMPARE(d.Label1->text(), QString("Select Result Type"));
    QCOMPARE(d.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QVERIFY(d.Label1->font().bold());
    QStringList entries;
    for (int i = 0; i < d.MatchResultTypeComboBox->count(); ++i)
      entries << d.MatchResultTypeComboBox->itemText(i);
    QCOMPARE(entries, QStringList({"x y  Theta  R", "x y  dx     dy", "x y  dx", "x y  dy",
                                   "index x y dx   dy", "index x y Theta R", "nx ny x y dx   dy",
                                   "nx ny x y Theta R"}));
    QCOMPARE(d.MatchResultTypeComboBox->currentIndex(), 0);
    QCOMPARE(d.MatchResultTypeComboBox->palette().color(QPalette::Text), QColor(0, 128, 0));
    QVERIFY(d.MatchResultTypeComboBox->font().bold());
    QCOMPARE(d.ChangeYaxisCheckBox->text(), QString("Change Y axis"));
    QVERIFY(d.ChangeYaxisCheckBox->isChecked());
    QCOMPARE(d.OKButton->text(), QString("OK"));
    QCOMPARE(d.CancelButton->text(), QString("Cancel"));
  }
};

LATTICOR_APP_TEST_MAIN(TEncodeDialogsTest)
#include "EncodeDialogsTest.moc"
