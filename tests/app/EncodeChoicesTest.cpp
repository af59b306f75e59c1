// The "Reference and Centroids" choices of the encode parameter dialog as Do Encoding uses
// them: the indices of an earlier code file taken over, refined centroids as the command-line
// tool measures them, the messages of bad choices, and a grid beyond the table.
#include <QRegularExpression>

#include "AppTest.h"
#include "cli/Commands.h"

using namespace AppTest;

namespace {

// A segmented grid of white discs on 0, initial or deformed.
void WriteSegmented(const std::string& path, const TSynthOptions& options, bool deformed) {
  TSynthOptions o = options;
  o.DotLevel = 255;
  o.BackgroundLevel = 0;
  TGrayImage image;
  TSynthGrid(o).Render(deformed, image);
  image.SaveToFile(path);
}

// Of the physical dots indexed in both pictures, how many got other indices in the second.
struct TAgreement {
  int32_t Pairs = 0;
  int32_t Different = 0;
};

TAgreement Compare(const TEncode& initial, const TEncode& deformed, const TSynthGrid& grid) {
  TAgreement a;
  for (const TSynthDot& d : grid.Dots()) {
    const int32_t i = DotNear(initial, d.X0, d.Y0), j = DotNear(deformed, d.X1, d.Y1);
    if (i < 0 || j < 0 || !initial.DotInfo()[i].Coded || !deformed.DotInfo()[j].Coded) continue;
    ++a.Pairs;
    a.Different += initial.DotInfo()[i].Nx != deformed.DotInfo()[j].Nx ||
                   initial.DotInfo()[i].Ny != deformed.DotInfo()[j].Ny;
  }
  return a;
}

}  // namespace

class TEncodeChoicesTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  void Encode(const std::string& name) {
    NewEncode(name);
    P().AreaThresholdEdit->setText("20");
    DoEncoding();
  }
  void ChooseReference(const std::string& name) {
    FPlatform->FileAnswers.push_back(Work(name));
    Press(P().ReferenceButton);
  }
  std::string LastError() const {
    return FPlatform->Errors.empty() ? "(none)" : FPlatform->Errors.back();
  }

 private slots:
  // The grid moved by 3.3 pitches: the deformed picture's own origin is another physical dot,
  // the reference gives every dot its initial indices.
  void ReferenceIndexesTheDeformedPictureLikeTheInitialOne() {
    const TSynthOptions o{.Width = 400,
                          .Height = 300,
                          .PitchX = 20,
                          .PitchY = 20,
                          .TranslateX = 66,
                          .Columns = 16,
                          .Rows = 12,
                          .ClipEach = true};
    const TSynthGrid grid(o);
    WriteSegmented(Work("initial.bmp"), o, false);
    WriteSegmented(Work("deformed.bmp"), o, true);
    Encode("initial.bmp");
    SaveCodes("initial.cod");
    const std::unique_ptr<TEncode> initial = std::move(Form().Workflow().FEncoder);

    Encode("deformed.bmp");
    const TAgreement alone = Compare(*initial, *Form().Workflow().FEncoder, grid);
    QVERIFY(alone.Pairs > 100);
    QCOMPARE(alone.Different, alone.Pairs);

    QVERIFY(!P().ShiftDxEdit->isEnabled());
    ChooseReference("initial.cod");
    QCOMPARE(P().ReferenceFile(), Work("initial.cod"));
    QVERIFY(P().ShiftDxEdit->isEnabled());
    // Without a shift the motion is found (the grid's outline shows it), with one it is taken.
    for (const char* shift : {"", "60"}) {
      P().ShiftDxEdit->setText(shift);
      DoEncoding();
      QVERIFY2(FPlatform->Errors.empty(), LastError().c_str());
      const TAgreement referenced = Compare(*initial, *Form().Workflow().FEncoder, grid);
      QVERIFY(referenced.Pairs > 100);
      QCOMPARE(referenced.Different, 0);
      QVERIFY2(Form().statusBar()->currentMessage().contains(
                   " Indices from the reference initial.cod, motion (66.00, 0.00) px"),
               qPrintable(Form().statusBar()->currentMessage()));
    }
    QVERIFY(Form().statusBar()->currentMessage().endsWith(", as given."));

    // Cleared, the picture finds its own origin again.
    Press(P().ReferenceClearButton);
    QCOMPARE(P().ReferenceFile(), std::string());
    DoEncoding();
    QCOMPARE(Compare(*initial, *Form().Workflow().FEncoder, grid).Different, alone.Different);
  }

  // Plain and every blob stay the defaults; refined on the picture last segmented writes the
  // code file that `encode --centroid refined --picture --dots blobs` writes, and differs from
  // the plain one; the lattice rules give that of `--dots lattice` and say what they kept.
  void RefinedCentroidsGiveTheCodeFileOfTheCommandLine() {
    WriteGridPicture(Work("grid.bmp"), 240, 200);
    TSegmentArgs segment;
    segment.Input = Work("grid.bmp");
    segment.Output = Work("seg.bmp");
    RunSegment(segment);
    NewSegment("grid.bmp");
    QVERIFY(P().PlainCentroidRadioButton->isChecked());
    QVERIFY(P().BlobDotsRadioButton->isChecked());
    QVERIFY(!P().RefinePictureButton->isEnabled());
    Encode("seg.bmp");
    SaveCodes("plain.cod");
    P().RefinedCentroidRadioButton->click();
    QVERIFY(P().RefinePictureButton->isEnabled());
    DoEncoding();
    QVERIFY(Form().statusBar()->currentMessage().endsWith(" Refined centroids on grid.bmp."));
    SaveCodes("gui.cod");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());

    TEncodeArgs encode;
    encode.Input = Work("seg.bmp");
    encode.Output = Work("cli.cod");
    encode.Run.LeastArea = TLeastArea::Given(20);
    encode.Run.Refined = true;
    encode.Picture = Work("grid.bmp");
    RunEncode(encode);
    QVERIFY(ReadFileBytes(Work("gui.cod")) == ReadFileBytes(Work("cli.cod")));
    QVERIFY(ReadFileBytes(Work("gui.cod")) != ReadFileBytes(Work("plain.cod")));

    P().LatticeDotsRadioButton->click();
    DoEncoding();
    QVERIFY2(Form().statusBar()->currentMessage().contains(" Lattice rules: "),
             qPrintable(Form().statusBar()->currentMessage()));
    SaveCodes("gui-lattice.cod");
    encode.Output = Work("cli-lattice.cod");
    encode.Run.Lattice = true;
    RunEncode(encode);
    QVERIFY(ReadFileBytes(Work("gui-lattice.cod")) == ReadFileBytes(Work("cli-lattice.cod")));
    QVERIFY(ReadFileBytes(Work("gui-lattice.cod")) != ReadFileBytes(Work("gui.cod")));
  }

  void BadChoicesGiveClearMessages() {
    const TSynthOptions o{.Width = 300, .Height = 240, .PitchX = 20, .PitchY = 20};
    WriteSegmented(Work("initial.bmp"), o, false);
    Encode("initial.bmp");
    SaveCodes("initial.cod");
    // Nothing decides the motion of a grid that fills the picture: the message names the shift
    // fields.
    ChooseReference("initial.cod");
    DoEncoding();
    QVERIFY2(
        LastError().find("in Shift dx and dy under Reference and Centroids") != std::string::npos,
        LastError().c_str());
    // A reference gone since it was chosen.
    std::filesystem::copy_file(Work("initial.cod"), Work("gone.cod"));
    ChooseReference("gone.cod");
    std::filesystem::remove(Work("gone.cod"));
    DoEncoding();
    QCOMPARE(LastError(), "The reference code file " + Work("gone.cod") +
                              " is not there any more: choose it again under Reference and "
                              "Centroids, or clear it.");
    QVERIFY(Form().Workflow().FEncoder != nullptr);  // the job was left as it was
    // A damaged reference names itself and gets no hint about this job's table.
    WriteFileBytes(Work("bad.cod"), "VRKT-FS\r\n1 10 10 1 1 1.0 1.0 0\r\noops\r\n");
    ChooseReference("bad.cod");
    DoEncoding();
    QVERIFY2(LastError().ends_with("\n(in the reference code file " + Work("bad.cod") + ")"),
             LastError().c_str());
    Press(P().ReferenceClearButton);

    // Refined without any unsegmented picture, then with one of another size: the picture last
    // segmented, then a chosen one.
    P().RefinedCentroidRadioButton->click();
    DoEncoding();
    QVERIFY2(LastError().starts_with("Refined centroids are measured on the unsegmented "),
             LastError().c_str());
    WriteGridPicture(Work("small.bmp"), 200, 240);
    NewSegment("small.bmp");
    Encode("initial.bmp");
    QVERIFY2(LastError().find("200 x 240 pixels and this segmented picture 300 x 240") !=
                 std::string::npos,
             LastError().c_str());
    FPlatform->FileAnswers.push_back(Work("small.bmp"));
    Press(P().RefinePictureButton);
    QCOMPARE(P().RefinePictureFile(), Work("small.bmp"));
    DoEncoding();
    QVERIFY2(LastError().find("they must be the same picture") != std::string::npos,
             LastError().c_str());
  }

  // The fixed message stays as it is shown, its own line; the hint follows.
  void IndicesBeyondTheTableOfferALargerOne() {
    TWorkflow& flow = Form().Workflow();
    flow.MaxNx = flow.MaxNy = 3;
    WriteDots(Work("wide.bmp"), 240, 100, Lattice(20, 20, 16, 16, 13, 4), 4);
    // No: the message and how to enlarge the table by hand.
    FPlatform->AskAnswers = {false};
    Encode("wide.bmp");
    QVERIFY2(FPlatform->Questions.at(0).find("\nMake the table max Nx ") != std::string::npos,
             FPlatform->Questions[0].c_str());
    const QStringList lines = QString::fromStdString(LastError()).split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(QRegularExpression("^\\(-?\\d+ , -?\\d+\\) not in the range\\.$")
                 .match(lines[0])
                 .hasMatch(),
             qPrintable(lines[0]));
    QCOMPARE(lines[1],
             QString("The grid reaches beyond the coordinate table of max Nx 3 and max Ny 3: "
                     "make it larger with Set Coordinate (System menu), then Do Encoding again."));
    // Yes: encoded again with a table large enough, which the next jobs get too.
    FPlatform->AskAnswers = {true};
    DoEncoding();
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    int32_t coded = 0;
    for (const TDotInfo& d : flow.FEncoder->DotInfo()) coded += d.Coded;
    QCOMPARE(coded, 52);
    QVERIFY(flow.MaxNx > 6 && flow.FEncoder->Coordinate().MaxNx() == flow.MaxNx);
    // From the pitch the job in hand is made afresh for the larger table.
    flow.MaxNx = flow.MaxNy = 3;
    FPlatform->AskAnswers = {true};
    NewEncode("wide.bmp");
    P().DxEdit->setText("16");
    P().DyEdit->setText("16");
    Press(P().SetDxDyStartButton);
    QCOMPARE(flow.FEncoder->Coordinate().MaxNx(), flow.MaxNx);
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    QCOMPARE(FPlatform->Questions.size(), size_t(3));
  }
};

LATTICOR_APP_TEST_MAIN(TEncodeChoicesTest)
#include "EncodeChoicesTest.moc"
