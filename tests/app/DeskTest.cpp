// What a desktop user expects: names proposed for saving, New Encode offering the segmented
// picture just saved, recent files, files dropped on the window, a code file in the state
// panel, open dialogs showing camera pictures first, the manual on F1, and tool windows kept
// off the tool bars and docks.
#include <QDockWidget>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include "AppTest.h"
#include "app/Manual.h"
#include "app/platform/Qtplatform.h"
#include "app/platform/Recentfiles.h"
#include "app/platform/Toolplacement.h"

using namespace AppTest;

class TDeskTest : public TFormTest {
  Q_OBJECT

  const TScriptedPlatform::TFileRequest& Asked() { return FPlatform->FileRequests.back(); }
  void Drop(const std::string& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Form(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Form(), &drop);
  }

 private slots:
  void SavesProposeNamesAndRecentAndDroppedFilesOpen() {
    WriteGridPicture(Work("grid.bmp"), 200, 150);
    NewSegment("grid.bmp");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    SaveResult("grid-seg.bmp");
    QCOMPARE(Asked().ProposedName, std::string("grid-seg.bmp"));
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "NewEncodeMenuItem");
    QCOMPARE(Asked().ProposedName, std::string("grid-seg.bmp"));  // the picture just saved
    NewEncode("grid-seg.bmp");
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "SaveEncodeResultMenuItem");
    QCOMPARE(Asked().ProposedName, std::string("grid.cod"));
    // Recent files, newest first, each reopened with its command; a gone one leaves the list.
    const std::vector<TRecentFiles::TEntry> recent = Form().RecentFiles().Entries();
    QCOMPARE(recent.size(), size_t(2));
    QCOMPARE(recent[0].Kind + " " + recent[0].Path, "encode " + Work("grid-seg.bmp"));
    QCOMPARE(recent[1].Kind + " " + recent[1].Path, "segment " + Work("grid.bmp"));
    QMenu* menu = Form().findChild<QMenu*>("RecentMenu");
    auto open = [menu](int k) {
      emit menu->aboutToShow();
      menu->actions().at(k)->trigger();
    };
    open(1);
    QVERIFY(Form().Workflow().FSegmenter && !Form().Workflow().FEncoder);
    std::filesystem::remove(Work("grid-seg.bmp"));
    open(1);  // the segmented picture, second now
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    QCOMPARE(Form().RecentFiles().Entries().size(), size_t(1));
    // Dropped: a segmented picture is encoded, another picture segmented, a code file shown.
    FPlatform->Errors.clear();
    WriteDots(Work("dots.bmp"), 200, 140, Lattice(20, 20, 20, 20, 9, 6), 4);
    Drop(Work("dots.bmp"));
    QVERIFY(Form().Workflow().FEncoder);
    Drop(Work("grid.bmp"));
    QVERIFY(Form().Workflow().FSegmenter && !Form().Workflow().FEncoder);
    CoreRun(Work("dots.bmp"), true, 10, 2)->SaveCodes(Work("dots.cod"));
    Drop(Work("dots.cod"));
    QVERIFY(!Form().CodeViewDots().empty());
    QVERIFY(Form().StateLabel()->text().contains("Code file: dots.cod"));
    QVERIFY(FPlatform->Errors.empty());
  }

  void OpenDialogsSelectCameraPicturesFirst() {
    TQtPlatform platform;
    for (const auto& [index, filter] : std::vector<std::pair<int, QString>>{
             {1, "Camera pictures ("}, {2, "Encoded grid files (*.cod)"}}) {
      QString selected;
      QTimer::singleShot(0, [&selected] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        selected = dialog->selectedNameFilter();
        dialog->reject();
      });
      QVERIFY(!platform.OpenFile("open", index, FWork->Path(), ""));
      QVERIFY2(selected.startsWith(filter), qPrintable(selected));
    }
  }

  void F1ShowsTheManualDockedAndToolWindowsKeepOffDocks() {
    QAction* manual = Action(Form(), "ManualMenuItem");
    QCOMPARE(manual->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QWidget& scale = *Form().ComputeScaleForm();
    scale.show();  // placed before the dock opens
    manual->trigger();
    TManualForm* form = Form().ManualForm();
    QVERIFY(form != nullptr && form->isVisible());
    QTRY_VERIFY(
        !scale.frameGeometry().intersects(QRect(form->mapToGlobal(QPoint(0, 0)), form->size())));
    QCOMPARE(Form().dockWidgetArea(form), Qt::LeftDockWidgetArea);
    QVERIFY(form->ManualBrowser->toPlainText().contains("Undo and redo"));
    // A maximised window: tool bars above, a dock at the right, the status bar below.
    const QList<QRect> screen{QRect(0, 0, 1600, 1000)};
    const QList<QRect> kept{QRect(0, 0, 1600, 70), QRect(1180, 70, 420, 900),
                            QRect(0, 970, 1600, 30)};
    const QRect picture(0, 70, 1180, 900);
    for (const QSize frame : {QSize(300, 280), QSize(420, 560)}) {
      const QRect r(TToolPlacement::Place(frame, picture, screen, {}, kept), frame);
      QVERIFY(screen[0].contains(r) && !r.contains(picture.center()));
      for (const QRect& k : kept) QVERIFY2(!r.intersects(k), qPrintable(QString("%1").arg(r.x())));
    }
  }
};

LATTICOR_APP_TEST_MAIN(TDeskTest)
#include "DeskTest.moc"
