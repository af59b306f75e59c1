// The real application under a virtual X server: it starts, shows a picture and quits through
// its exit question, writing its settings on the way out.
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

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
    options.Width = 240;
    options.Height = 180;
    options.Gradient = 50;
    TGrayImage picture;
    TSynthGrid(options).Render(false, picture);
    picture.SaveToFile(home.File("grid.bmp"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.insert("HOME", QString::fromStdString(home.Path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File("config")));
    env.insert("LATTICOR_TEST_PICTURE", QString::fromStdString(home.File("grid.bmp")));
    env.insert("LATTICOR_TEST_CLOSE_MS", "1500");
    env.insert("LATTICOR_TEST_GRAB", QString::fromStdString(home.File("view.png")));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(home.Path()));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(xvfbRun, {"-a", "-s", "-screen 0 1280x1024x24", LATTICOR_BINARY});
    QVERIFY(process.waitForStarted(10000));
    const bool finished = process.waitForFinished(60000);
    if (!finished) process.kill();
    QVERIFY2(finished, process.readAll().constData());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, process.readAll().constData());

    // The view showed the picture one screen pixel per image pixel.
    QImage view(QString::fromStdString(home.File("view.png")));
    QCOMPARE(view.size(), QSize(picture.Width(), picture.Height()));
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        QCOMPARE(qGray(view.pixel(x, y)), int(picture.Row(y)[x]));

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
