// The real application under a virtual X server: it starts on a picture given on its command
// line, shows the whole of it after Ctrl+0 and quits through its exit question, writing its
// settings on the way out; given a code file, it shows the file's dots over their picture.
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <array>
#include <filesystem>

#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace {

// The environment of a run under xvfb-run that closes itself after closeMs and grabs the view.
QProcessEnvironment RunEnvironment(const TTempDir& home, const char* closeMs) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.insert("HOME", QString::fromStdString(home.Path()));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File("config")));
  env.insert("LATTICOR_TEST_CLOSE_MS", closeMs);
  env.insert("LATTICOR_TEST_GRAB", QString::fromStdString(home.File("view.png")));
  return env;
}

}  // namespace

class TStartupTest : public QObject {
  Q_OBJECT
 private slots:
  void StartsShowsPictureAndQuitsThroughExitQuestion() {
    const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
    if (xvfbRun.isEmpty()) QSKIP("xvfb-run is not installed");
    TTempDir home;
    TSynthOptions options;
    options.Width = 3000;
    options.Height = 2000;
    options.Gradient = 120;
    TGrayImage picture;
    TSynthGrid(options).Render(false, picture);
    picture.SaveToFile(home.File("grid.bmp"));

    QProcessEnvironment env = RunEnvironment(home, "3000");
    env.insert("LATTICOR_TEST_KEYS", "Ctrl+1;Ctrl+0");
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(home.Path()));
    process.setProcessChannelMode(QProcess::MergedChannels);
    // "latticor grid.bmp", started in the folder of the picture.
    process.start(xvfbRun, {"-a", "-s", "-screen 0 1280x1024x24", LATTICOR_BINARY, "grid.bmp"});
    QVERIFY(process.waitForStarted(10000));
    const bool finished = process.waitForFinished(60000);
    if (!finished) process.kill();
    QVERIFY2(finished, process.readAll().constData());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, process.readAll().constData());

    // The view showed the whole picture, smaller, in its proportions: in each of 5 x 5 blocks
    // the mean brightness on the screen is the picture's.
    QImage view(QString::fromStdString(home.File("view.png")));
    QVERIFY(view.width() > 0);
    QVERIFY(view.width() < picture.Width());
    QVERIFY(std::abs(view.width() * 2 - view.height() * 3) <= 3);
    std::array<double, 25> means{};
    for (int by = 0; by < 5; ++by)
      for (int bx = 0; bx < 5; ++bx) {
        double shown = 0, truth = 0;
        for (int y = by * view.height() / 5; y < (by + 1) * view.height() / 5; ++y)
          for (int x = bx * view.width() / 5; x < (bx + 1) * view.width() / 5; ++x)
            shown += qGray(view.pixel(x, y));
        shown /= double(view.width() / 5) * double(view.height() / 5);
        for (int y = by * 400; y < (by + 1) * 400; ++y)
          for (int x = bx * 600; x < (bx + 1) * 600; ++x) truth += picture.Row(y)[x];
        truth /= 600.0 * 400.0;
        // A few samples per screen pixel: close to the mean, not equal to it.
        QVERIFY2(std::abs(shown - truth) < 16, qPrintable(QString("%1 %2").arg(shown).arg(truth)));
        means[by * 5 + bx] = shown;
      }

    // The whole brightness ramp is on the screen, not one corner of it.
    QVERIFY(means[24] - means[0] > 60);

    // Exit with Yes wrote the scale factors, and the end of the run the last directory.
    QSettings settings(home.File("config/Halvern Lab./Latticor Method.conf").c_str(),
                       QSettings::IniFormat);
    QCOMPARE(settings.value("Image Scale/scalex").toDouble(), 1.0);
    QCOMPARE(settings.value("Image Scale/scaley").toDouble(), 1.0);
    QCOMPARE(settings.value("Path/last").toString(), QString::fromStdString(home.Path()));
  }

  void CodeFileOnTheCommandLineShowsItsDots() {
    const QString xvfbRun = QStandardPaths::findExecutable("xvfb-run");
    if (xvfbRun.isEmpty()) QSKIP("xvfb-run is not installed");
    TTempDir home;
    TGrayImage picture;
    picture.SetSize(160, 120);
    std::fill(picture.Data(), picture.Data() + picture.Size(), uint8_t{0});
    const std::array<std::array<int, 2>, 3> dots = {{{40, 30}, {80, 30}, {40, 70}}};
    for (const auto& d : dots)
      for (int y = d[1] - 4; y <= d[1] + 4; ++y)
        for (int x = d[0] - 4; x <= d[0] + 4; ++x) picture.SetPixel(x, y, 255);
    std::filesystem::create_directory(home.File("run"));
    picture.SaveToFile(home.File("run/dots.bmp"));
    WriteFileBytes(home.File("run/dots.cod"),
                   "VRKT-FS\r\n3 160 120\r\n50  50  1.000000  1.000000  0\r\n"
                   "  0     40.000    30.000     0    0   81\r\n"
                   "  1     80.000    30.000     1    0   81\r\n"
                   "  2     40.000    70.000     0   -1   81\r\ndots.bmp\r\n");
    QProcessEnvironment env = RunEnvironment(home, "2000");
    env.insert("LATTICOR_TEST_KEYS", "Ctrl+1");  // one screen pixel per picture pixel
    QProcess process;
    process.setProcessEnvironment(env);
    // Started elsewhere: the picture is looked for beside the code file.
    process.setWorkingDirectory(QString::fromStdString(home.Path()));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(xvfbRun, {"-a", "-s", "-screen 0 1280x1024x24", LATTICOR_BINARY, "run/dots.cod"});
    QVERIFY(process.waitForStarted(10000));
    const bool finished = process.waitForFinished(60000);
    if (!finished) process.kill();
    QVERIFY2(finished, process.readAll().constData());
    QVERIFY2(process.exitCode() == 0, process.readAll().constData());
    // Each dot carries a red mark on its white square; the background stays black.
    QImage view(QString::fromStdString(home.File("view.png")));
    QCOMPARE(view.size(), QSize(160, 120));
    for (const auto& d : dots) {
      const QRgb mark = view.pixel(d[0] - 3, d[1]);
      QVERIFY2(qRed(mark) > 200 && qGreen(mark) < 60, qPrintable(QString::number(mark, 16)));
    }
    QCOMPARE(qGray(view.pixel(5, 115)), 0);
  }
};

QTEST_GUILESS_MAIN(TStartupTest)
#include "StartupTest.moc"
