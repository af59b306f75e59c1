// A seeded random sequence of menu commands, dialog buttons, field texts and mouse events with
// random scripted answers (existing, missing and unwritable files, OK and Cancel). Whatever
// happens, nothing may crash, no command may leave the busy indicator on or a view that does
// not fit its picture, and at the end a plain measurement must still work.
//
//   LATTICOR_ROBUST_SEED   the seed (default 20261206)
//   LATTICOR_ROBUST_STEPS  the number of random steps (default 4000)
#include <random>

#include "AppTest.h"
#include "app/match/Strainresult.h"

using namespace AppTest;

class TRobustnessTest : public TFormTest {
  Q_OBJECT

  std::mt19937_64 FRandom;
  // Every menu item and tool button, and every button and text field of the tool dialogs.
  QList<QAction*> FCommands;
  QList<QAbstractButton*> FButtons;
  QList<QLineEdit*> FEdits;

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }
  bool Chance(int percent) { return Pick(100) < percent; }
  template <class T, size_t N>
  T Any(T const (&list)[N]) {
    return list[Pick(int(N))];
  }
  template <class T>
  T Any(const QList<T>& list) {
    return list[Pick(int(list.size()))];
  }
  static uint64_t EnvNumber(const char* name, uint64_t fallback) {
    bool ok = false;
    const qulonglong n = qgetenv(name).toULongLong(&ok);
    return ok ? n : fallback;
  }
  // Field texts: mostly plausible numbers, sometimes anything.
  QString Number(int low, int high) {
    static const char* const odd[] = {"",    "abc", " 7 ",         "1e3", "-0",
                                      "nan", "+3",  "99999999999", "2.5", "0x10"};
    const int kind = Pick(10);
    return kind == 0   ? Any(odd)
           : kind == 1 ? QString::number(Pick(2000) - 1000)
                       : QString::number(low + Pick(high - low + 1));
  }
  // Mostly the files a measurement uses, so that the jobs get far.
  std::optional<std::string> FileAnswer() {
    static const char* const usual[] = {"raw.bmp", "seg.bmp", "row.bmp",
                                        "a.cod",   "b.cod",   "moved.bmp"};
    static const char* const any[] = {"black.bmp", "bad.cod", "broken.bmp", "missing.bmp",
                                      "out.bmp",   "out.cod", "Match0.dat", "",
                                      "elsewhere", "raw.bmp", "a.cod"};
    if (Chance(10)) return std::nullopt;
    const std::string name = Chance(60) ? Any(usual) : Any(any);
    return Work(Chance(15) ? "elsewhere/" + name : name);
  }
  static void Press(QAbstractButton* button) {
    if (button->isEnabled()) button->click();
  }
  // Works whichever modal dialog the command shows, as a person might.
  void Answer(QDialog& dialog) {
    const bool ok = Chance(75);
    if (auto* d = qobject_cast<TFilterForm*>(&dialog)) {
      d->MedianFilterTrackBar->setValue(Pick(11));
      if (Chance(10)) d->FilterTypeComboBox->setEditText("x");
      Press(ok ? d->BitBtn1 : d->BitBtn2);
    } else if (auto* s = qobject_cast<TSimpleSegmentParameterForm*>(&dialog)) {
      s->SimpleSegmentThresholdEdit->setText(Number(0, 255));
      Press(ok ? s->BitBtn2 : s->BitBtn1);
    } else if (auto* c = qobject_cast<TReSetCoordinateForm*>(&dialog)) {
      c->MaxNxEdit->setText(Number(-2, 80));
      c->MaxNyEdit->setText(Number(-2, 80));
      Press(ok ? c->OKButton : c->CancelButton);
    } else if (auto* m = qobject_cast<TMatchResultForm*>(&dialog)) {
      m->MatchResultTypeComboBox->setCurrentIndex(Pick(8));
      m->ChangeYaxisCheckBox->setChecked(Chance(50));
      Press(ok ? m->OKButton : m->CancelButton);
    } else if (Chance(50)) {
      dialog.reject();
    }
  }
  // One step: a command with answers ready, a dialog button, a field text or a mouse event.
  void Step() {
    TScriptedPlatform& p = *FPlatform;
    TPaintBox* box = Form().PaintBox();
    auto point = [&] {
      return QPoint(Pick(box->width() + 40) - 20, Pick(box->height() + 40) - 20);
    };
    // The commands of a measurement come up more often than the others.
    static const char* const frequent[] = {
        "NewEncodeMenuItem",        "DoEncodingMenuItem",       "DoEncodingMenuItem",
        "MultiAreaSegmentMenuItem", "NewSegmentMenuItem",       "DoMatchingMenuItem",
        "SaveMatchResultMenuItem",  "SaveEncodeResultMenuItem", "SaveSegmentResultMenuItem"};
    static const char* const folders[] = {"", "", "", "elsewhere", "elsewhere", "gone"};
    switch (Pick(9)) {
      case 0:
      case 1:
      case 2:
        p.FileAnswers = {FileAnswer(), FileAnswer()};
        p.FolderAnswers = {Work(Any(folders))};
        p.AskAnswers = {Chance(10)};
        p.DialogScripts = {[this](QDialog& d) { Answer(d); }};
        if (Chance(50))
          Trigger(Form(), Any(frequent));
        else
          Any(FCommands)->trigger();
        break;
      case 3:
        Press(Any(FButtons));
        break;
      case 4:
        EncodeParameters().ChooseOriginMethodComboBox->setCurrentIndex(Pick(4));
        Any(FEdits)->setText(Number(0, 60));
        break;
      case 5:
        Hover(point());
        break;
      case 6:
        Click(point());
        break;
      case 7:
        Drag(point(), point());
        break;
      default: {
        // A random button pressed somewhere and released elsewhere, possibly outside.
        const Qt::MouseButton button = Chance(70) ? Qt::LeftButton : Qt::RightButton;
        QTest::mousePress(box, button, {}, point());
        if (Chance(50)) Hover(point());
        QTest::mouseRelease(box, button, {}, point());
      }
    }
    p.FileAnswers.clear();
    p.FolderAnswers.clear();
    p.AskAnswers.clear();
    p.DialogScripts.clear();
  }
  // Nothing a later command would trip over: idle, and the view as large as its picture.
  void CheckState(int step) {
    TMainForm& form = Form();
    const QByteArray where = "step " + QByteArray::number(step);
    QVERIFY2(!form.Busy(), where);
    const TGrayImage* shown = form.Workflow().ShownImage();
    if (shown != nullptr)
      QVERIFY2(form.ViewSurface().Width() == shown->Width() &&
                   form.ViewSurface().Height() == shown->Height(),
               where);
    if (const TEncode* job = form.Workflow().FEncoder.get())
      QVERIFY2(size_t(job->DotSum()) <= job->DotInfo().size() || job->DotInfo().empty(), where);
    // The box is the picture it shows at the view's zoom; a strain map only while its window is
    // open on a matching job.
    QVERIFY2(form.PaintBox()->width() ==
                 int(std::ceil(form.PaintBox()->PictureSize().width() * form.PaintBox()->Zoom())),
             where);
    if (form.PaintBox()->Overlay() != nullptr)
      QVERIFY2(form.Workflow().FMatcher && form.StrainResultForm() &&
                   !form.StrainResultForm()->isHidden(),
               where);
  }

 private slots:
  void cleanup() {
    FForm.reset();  // the answers were random: leftovers and refusals are expected
    QDir::setCurrent(QDir::tempPath());
  }

  void RandomCommandsNeverLeaveABrokenState() {
    const uint64_t seed = EnvNumber("LATTICOR_ROBUST_SEED", 20261206);
    const uint64_t steps = EnvNumber("LATTICOR_ROBUST_STEPS", 4000);
    qInfo("seed %llu, %llu steps", static_cast<unsigned long long>(seed),
          static_cast<unsigned long long>(steps));
    FRandom.seed(seed);
    for (const char* folder : {"elsewhere", "pristine"})
      std::filesystem::create_directory(Work(folder));
    WriteGridPicture(Work("raw.bmp"), 160, 120);
    WriteGridPicture(Work("black.bmp"), 130, 120, false);
    WriteDots(Work("seg.bmp"), 160, 120, Lattice(20, 20, 16, 16, 9, 7), 4);
    WriteDots(Work("row.bmp"), 150, 50, Lattice(20, 25, 16, 16, 8, 1), 4);
    WriteDots(Work("moved.bmp"), 160, 120, Lattice(21, 19, 16, 16, 8, 6), 4);
    CoreRun(Work("seg.bmp"), true, 20, 2)->SaveCodes(Work("a.cod"));
    CoreRun(Work("moved.bmp"), true, 20, 2)->SaveCodes(Work("b.cod"));
    WriteFileBytes(Work("broken.bmp"), "BM not a picture");
    WriteFileBytes(Work("bad.cod"), "VRKT-FS\r\n3 10 10\r\n");
    for (const char* name : {"seg.bmp", "raw.bmp", "a.cod", "b.cod"})
      std::filesystem::copy_file(Work(name), Work(std::string("pristine/") + name));
    for (const char* name : {"seg.bmp", "row.bmp", "a.cod"})  // the other folder has a few
      std::filesystem::copy_file(Work(name), Work(std::string("elsewhere/") + name));
    for (QAction* action : Form().findChildren<QAction*>())
      if (!action->objectName().isEmpty()) FCommands << action;
    for (QWidget* dialog : std::initializer_list<QWidget*>{
             &EncodeParameters(), Form().ComputeScaleForm(), &Parameters()}) {
      FButtons << dialog->findChildren<QAbstractButton*>();
      FEdits << dialog->findChildren<QLineEdit*>();
    }
    QVERIFY(FCommands.size() > 30);
    QVERIFY(FButtons.size() > 20);
    QVERIFY(FEdits.size() > 20);
    for (uint64_t i = 0; i < steps && !QTest::currentTestFailed(); ++i) {
      Step();
      CheckState(int(i));
    }
    if (QTest::currentTestFailed()) return;
    qInfo("%zu messages, %d beeps, %zu dialogs", FPlatform->Errors.size(), FPlatform->Beeps,
          FPlatform->DialogTitles.size());

    // A plain measurement still works from whatever state the sequence left.
    TMainForm& form = Form();
    form.Workflow().FWorkDir = FWork->Path() + "/";
    for (const char* name : {"seg.bmp", "raw.bmp", "a.cod", "b.cod"})
      std::filesystem::copy_file(Work(std::string("pristine/") + name), Work(name),
                                 std::filesystem::copy_options::overwrite_existing);
    if (!form.Workflow().FWhiteDots) Trigger(form, "WhiteDotToolButtonAction");
    form.Workflow().MaxNx = form.Workflow().MaxNy = 50;
    FPlatform->Errors.clear();
    NewSegment("raw.bmp");
    NewEncode("seg.bmp");
    EncodeParameters().AreaThresholdEdit->setText("20");
    EncodeParameters().ChooseOriginMethodComboBox->setCurrentIndex(2);
    EncodeParameters().SetReferenceFile("");
    EncodeParameters().PlainCentroidRadioButton->click();
    DoEncoding();
    QCOMPARE(DotDifference(*form.Workflow().FEncoder, *CoreRun(Work("seg.bmp"), true, 20, 2)),
             std::string());
    FPlatform->FileAnswers = {Work("a.cod"), Work("b.cod")};
    Trigger(form, "DoMatchingMenuItem");
    QVERIFY(form.Workflow().FMatcher);
    QVERIFY(form.Workflow().FMatcher->FMatchSum > 0);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
  }
};

LATTICOR_APP_TEST_MAIN(TRobustnessTest)
#include "RobustnessTest.moc"
