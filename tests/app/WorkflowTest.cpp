// A whole measurement from the desktop application: two grid pictures, segmented, encoded and
// matched through the menus and dialogs, gives files identical byte for byte to those of the
// command-line tool for the same choices.
#include "AppTest.h"
#include "cli/Commands.h"

using namespace AppTest;

class TWorkflowTest : public TFormTest {
  Q_OBJECT

 private slots:
  void WholeMeasurementMatchesTheCommandLineTool() {
    const TSynthGrid grid({.Width = 480,
                           .Height = 360,
                           .PitchX = 18,
                           .PitchY = 18,
                           .Radius = 5,
                           .NoiseSigma = 6,
                           .Gradient = 60,
                           .RotationDeg = 2,
                           .TranslateX = 3.3,
                           .TranslateY = -1.7,
                           .Exx = 0.01,
                           .Eyy = -0.005,
                           .Exy = 0.003,
                           .Seed = 7});
    TGrayImage picture;
    grid.Render(false, picture);
    picture.SaveToFile(Work("initial.bmp"));
    grid.Render(true, picture);
    picture.SaveToFile(Work("deformed.bmp"));

    // The scale first: it goes into both code files.
    ComputeScale("250", "5", "200", "5");
    // Each picture: New Segment, Multi-Area Segment with the proposed window, Save Result, New
    // Encode, Auto, Do Encoding, Save Result.
    for (const std::string state : {"initial", "deformed"}) {
      NewSegment(state + ".bmp");
      Trigger(Form(), "MultiAreaSegmentToolButtonAction");
      SaveResult(state + "-seg.bmp");
      NewEncode(state + "-seg.bmp");
      Press(EncodeParameters().AutoButton);
      DoEncoding();
      SaveCodes(state + ".cod");
    }
    FPlatform->FileAnswers.push_back(Work("initial.cod"));
    WithFile("DoMatchingMenuItem", "deformed.cod");
    FPlatform->FileAnswers.push_back(Work("Match0.dat"));
    FPlatform->DialogScripts.push_back([this](QDialog& dialog) {
      auto& d = static_cast<TMatchResultForm&>(dialog);
      d.MatchResultTypeComboBox->setCurrentIndex(6);
      Press(d.OKButton);
    });
    // The y column mixes pixels and units: the pairs are offered as CSV too.
    FPlatform->AskAnswers.push_back(true);
    FPlatform->FileAnswers.push_back(Work("pairs.csv"));
    Trigger(Form(), "SaveMatchResultMenuItem");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    QCOMPARE(FPlatform->FileRequests.back().ProposedName, std::string("Match0.csv"));
    int present = 0;
    for (const TSynthDot& d : grid.Dots()) present += d.Present;
    QVERIFY(Form().FMatcher->FMatchSum > present * 9 / 10);

    // The command-line tool with the same choices, in a folder of its own: the code files name
    // the picture they came from, so the names are the same there.
    const std::string gui = FWork->Path() + "/";
    const std::string cli = gui + "cli/";
    std::filesystem::create_directory(cli);
    for (const char* name : {"initial.bmp", "deformed.bmp"})
      std::filesystem::copy_file(gui + name, cli + name);
    for (const char* state : {"initial", "deformed"}) {
      TSegmentArgs segment;
      segment.Input = cli + state + ".bmp";
      segment.Output = cli + state + "-seg.bmp";
      RunSegment(segment);
      TEncodeArgs encode;
      encode.Input = segment.Output;
      encode.Output = cli + state + ".cod";
      encode.Scale = {0.02f, 0.025f};
      RunEncode(encode);
      for (const char* file : {"-seg.bmp", ".cod"}) {
        const std::string name = std::string(state) + file;
        QVERIFY2(ReadFileBytes(gui + name) == ReadFileBytes(cli + name), name.c_str());
      }
    }
    const std::string measured = ReadFileBytes(gui + "Match0.dat");
    // The third line names the output path as passed: the tool writes to the same path.
    TMatchArgs match;
    match.Initial = cli + "initial.cod";
    match.Deformed = cli + "deformed.cod";
    match.Output = gui + "Match0.dat";
    match.Layout = 6;
    match.Csv = cli + "pairs.csv";
    RunMatch(match);
    QCOMPARE(measured, ReadFileBytes(gui + "Match0.dat"));
    QCOMPARE(ReadFileBytes(gui + "pairs.csv"), ReadFileBytes(cli + "pairs.csv"));
    QVERIFY(measured.find("In this " + gui + "Match0.dat, ") != std::string::npos);
  }
};

LATTICOR_APP_TEST_MAIN(TWorkflowTest)
#include "WorkflowTest.moc"
