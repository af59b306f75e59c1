#pragma once

#include <QAction>
#include <QApplication>
#include <QString>
#include <QTest>
#include <cstdint>
#include <memory>
#include <string>

#include "ScriptedPlatform.h"
#include "app/Main.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

class TGrayImage;

namespace AppTest {

// Settings of this test program: all values removed.
void ClearSettings();
std::string SettingsValue(const char* key);
void SetSetting(const char* key, const QVariant& value);

// A synthetic grid picture written as a bitmap.
void WriteGridPicture(const std::string& path, int32_t width, int32_t height, bool whiteDots = true,
                      double gradient = 60, uint32_t seed = 1);
// The menu item or tool button action of that name; fails the test when missing.
QAction* Action(TMainForm& form, const char* name);
void Trigger(TMainForm& form, const char* name);
// True when the view shows exactly the picture's gray values.
bool ViewShows(TMainForm& form, const TGrayImage& image);
// A mouse movement without buttons, delivered to the widget itself. (QTest's own moves the
// platform cursor, which the offscreen platform gives to whichever window it finds first.)
void MoveMouse(QWidget* widget, QPoint pos);

// Runs a Qt Test object in an isolated environment: its own HOME, XDG_CONFIG_HOME and Qt's
// test-mode standard paths, so the user's settings are never touched; the offscreen platform
// unless another is set.
int RunTests(QObject& tests, int argc, char** argv);

}  // namespace AppTest

#define LATTICOR_APP_TEST_MAIN(TestClass)                                                          \
  int main(int argc, char** argv) {                                                                \
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")      \
                                                                    : qgetenv("QT_QPA_PLATFORM")); \
    TTempDir home;                                                                                 \
    qputenv("HOME", home.Path().c_str());                                                          \
    qputenv("XDG_CONFIG_HOME", (home.Path() + "/config").c_str());                                 \
    QApplication app(argc, argv);                                                                  \
    TestClass tests;                                                                               \
    return AppTest::RunTests(tests, argc, argv);                                                   \
  }
