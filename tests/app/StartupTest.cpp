// The real application under a virtual X server: it starts on a picture given on its command
// line, shows the whole of it after Ctrl+0 and quits through its exit question, writing its
// settings on the way out.
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <array>

#include "image/Grayimage.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

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

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.insert("HOME", QString::fromStdString(home.Path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File("config")));
    env.insert("LATTICOR_TEST_CLOSE_MS", "3000");
    env.insert("LATTICOR_TEST_KEYS", "Ctrl+1;Ctrl+0");
    env.insert("LATTICOR_TEST_GRAB", QString::fromStdString(home.File("view.png")));
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
};

QTEST_GUILESS_MAIN(TStartupTest)
#include "StartupTest.moc"
