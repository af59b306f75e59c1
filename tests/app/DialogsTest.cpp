// The dialogs of the application with their built-in texts and defaults, the coordinate size
// dialog and the About box.
#include "AppTest.h"

using namespace AppTest;

namespace {

// Every caption a dialog shows, depth first in creation order: window title, labels, buttons,
// group boxes, fields, list entries and tabs; "|" between them.
QString Captions(QWidget* dialog) {
  QStringList texts{dialog->windowTitle()};
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) texts << group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !qobject_cast<QComboBox*>(w->parent()))
      texts << edit->text();
    if (auto* list = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
  }
  texts.removeAll(QString());
  return texts.join('|');
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
    QCOMPARE(Captions(&s),
             "Segment  Parameter|Multi-Area Segment  Para.|Win.  Size|150|No Larger Than  000 |"
             "Adjust|0|Modify Image|x|0|y|0|dx|0|dy|0|Modify|Close");
    QCOMPARE(Captions(&f), "Remove Noise|Select  Filter  Type|Median Filter|3|OK|Cancel");
    QCOMPARE(Captions(&h), "Simple Segment Parameter| Simple  Segment   Threshold|128|OK|Cancel");
    QCOMPARE(Captions(&e),
             "Encode Parameter|Encode|View  && Modify|Set Origin|Set dx dy|Give the interval of "
             "the grid image |dx|dy|0|0|Start Encode Again|Up|Left|Origin|Right|down|0|Set|0|0|"
             "Start Encode Again|Grid Index|Origin|nx|ny|Grid Information|-1|0|0|0|Coded|Neted|0|"
             "0|Modify Coord.|Modify  Origin|Index|area|Position|(|,|)|Status:|Coordinate|(|,|)|"
             "View Mode|Pass View|Click  View|Encode Infomation|Automatic Choose Origin Method|"
             "Max Area|Center Index Dot|Center Grid Dot|Center Image Dot|The Least Grid Area|100|"
             "Auto|Reference and Centroids|...|Clear|Plain|Refined|Every blob|Lattice rules|...|"
             "Clear|Reference code file|Shift  dx|dy|Centroids|Dots|Unsegmented picture");
    QCOMPARE(Captions(&c),
             "Re-Set the Coordinate System|If you change it, it will effect the next NEW encode, "
             "not effect currently encode|The size is used by New Encode and by every Do Encoding "
             "of the automatic stage, which makes the job afresh; Start Encode Again keeps the "
             "table of the job in hand.|Maxium  X|Maxuim Y|OK|Cancel");
    QCOMPARE(Captions(&m),
             "Select Result Type|Select Result Type|x y  Theta  R|x y  dx     dy|x y  dx|x y  dy|"
             "index x y dx   dy|index x y Theta R|nx ny x y dx   dy|nx ny x y Theta R|"
             "Change Y axis|OK|Cancel");
    QCOMPARE(s.AdjustThresholdEdit->toolTip(),
             QString("Simple segment use this as  the Threshold"));
    QCOMPARE(s.ModifySegmentButton->toolTip(), QString("Use the current Grid attributes"));
    QCOMPARE(e.AutoButton->toolTip(), QString("Set Black or White Grid First!!!"));
    QCOMPARE(s.pos(), QPoint(617, 118));
    QVERIFY(!s.isVisible());
    QVERIFY(s.windowFlags() & Qt::Tool);
    QVERIFY(!e.isVisible());
    QVERIFY(e.windowFlags() & Qt::Tool);
    QCOMPARE(f.MedianFilterTrackBar->maximum(), 10);
    QVERIFY(!e.ChooseOriginMethodComboBox->isEditable());
    QVERIFY(e.ViewMode() == 1);
    for (QLineEdit* edit : {e.IndexEdit, e.AreaEdit, e.FxEdit, e.FyEdit})
      QVERIFY(edit->isReadOnly());
    QVERIFY(!e.NxEdit->isReadOnly());
    QVERIFY(!e.NyEdit->isReadOnly());
    QVERIFY(e.IntervalImage->size() == QSize(160, 130));
    QVERIFY(!e.IntervalImage->pixmap().isNull());
    // The View menu shows the tool dialog without waiting.
    Trigger(Form(), "EncodeParameterMenuItem");
    QVERIFY(e.isVisible());
  }

  void SetCoordinateSizesTheNextJobOnly() {
    WriteDots(Work("dots.bmp"), 120, 100, Lattice(20, 20, 16, 16, 5, 4), 4);
    NewEncode("dots.bmp");
    auto answer = [this](const char* nx, const char* ny, bool ok) {
      FPlatform->DialogScripts.push_back([=, this](QDialog& dialog) {
        auto& d = static_cast<TReSetCoordinateForm&>(dialog);
        QCOMPARE(d.MaxNxEdit->text() + " " + d.MaxNyEdit->text(),
                 QString("%1 %2").arg(Form().Workflow().MaxNx).arg(Form().Workflow().MaxNy));
        d.MaxNxEdit->setText(nx);
        d.MaxNyEdit->setText(ny);
        Press(ok ? d.OKButton : d.CancelButton);
      });
      Trigger(Form(), "SetCoordinateToolButtonAction");
    };
    answer("1", "1", false);
    answer("60", "40", true);
    QCOMPARE(Form().Workflow().FEncoder->Coordinate().MaxNx(), 50);  // the job in hand keeps it
    NewEncode("dots.bmp");
    QCOMPARE(Form().Workflow().FEncoder->Coordinate().MaxNx(), 60);
    QCOMPARE(Form().Workflow().FEncoder->Coordinate().MaxNy(), 40);
    answer("70", "y", true);  // a bad second field leaves the new first one
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'y' is not a valid integer value."});
    QVERIFY(Form().Workflow().MaxNx == 70);
    QVERIFY(Form().Workflow().MaxNy == 40);
    answer("-1", "5", true);  // sizes no table can have: the next job refuses them
    NewEncode("dots.bmp");
    QCOMPARE(FPlatform->Errors.back(),
             std::string("No enough memory to allocate Coordinate System."));
    QVERIFY(!Form().Workflow().FEncoder);
  }

  void AboutBoxClosesOnClickButNotOnItsMailLink() {
    bool scripted = false;
    FPlatform->DialogScripts.push_back([&](QDialog& box) {
      scripted = true;
      QCOMPARE(box.size(), QSize(430, 369));
      QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
      QStringList texts;
      for (const char* name : {"ProductName", "Version", "Comments", "MailToLabel"})
        texts << box.findChild<QLabel*>(name)->text();
      QCOMPARE(texts.join('|'),
               "Halvern Tools|Version  1.0|Any Problems, please contact with    |"
               "support@latticor.example");
      auto* mail = box.findChild<QLabel*>("MailToLabel");
      QCOMPARE(mail->cursor().shape(), Qt::PointingHandCursor);
      auto colour = [&] { return mail->palette().color(QPalette::WindowText); };
      QCOMPARE(colour(), QColor(Qt::yellow));
      MoveMouse(mail, QPoint(3, 3));
      QTRY_VERIFY(mail->font().underline());
      QCOMPARE(colour(), QColor(Qt::red));
      QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(3, 3));
      QVERIFY(box.isVisible());
      MoveMouse(&box, QPoint(300, 40));
      QTRY_VERIFY(!mail->font().underline() && colour() == QColor(Qt::yellow));
      QTest::mouseClick(box.findChild<QLabel*>("ProductName"), Qt::LeftButton, {}, QPoint(5, 5));
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
