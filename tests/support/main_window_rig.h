#pragma once

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "base/qt/qt_timer.h"
#include "fake_player.h"
#include "recording_dialogs.h"
#include "scripted_clipboard.h"
#include "shell/editor.h"
#include "shell/qt/editor_windows.h"
#include "shell/qt/main_window.h"

namespace obrin::test {

// The editor and its windows built as the program builds them, with fakes at
// the real boundaries: recorded dialogs, a fake player, a scripted clipboard
// and the desktop's "open" caught in `opened`. The program folder is the
// scratch `folder` unless another is given (the build's output folder, for
// its shipped registry and plug-ins). Settings are read at the first show,
// so a test may write obrin.ini before it; a test of the calibration offer
// sets `offersCalibration` before it.
template <typename Timers = QtTimerFactory>
struct MainWindowRig {
    explicit MainWindowRig(std::filesystem::path program = {})
        // A program folder given is the build's, shared by every test: the
        // settings, saved as they change, stay in this test's own folder.
        : editor({.programFolder = program.empty() ? folder : std::move(program),
                  .settingsSection = "tester",
                  .configFolder = folder},
                 dialogs, player, timers, [this](const std::string& url) {
                     opened.push_back(url);
                     return desktopOpens;
                 }) {
        const auto answeredUnlessOffered = [this] {
            if (!offersCalibration) editor.settings().calibrationOffered = true;
        };
        answeredUnlessOffered();
        QObject::connect(&window, &MainWindow::settingsLoaded, answeredUnlessOffered);
    }

    QTemporaryDir scratch;
    std::filesystem::path folder = scratch.path().toStdString();
    RecordingDialogs dialogs;
    FakePlayer player;
    Timers timers;
    ScriptedClipboard clipboard;
    std::vector<std::string> opened;
    // What the desktop's "open" answers: false as without a browser.
    bool desktopOpens = true;
    // Whether the first song opened brings the offer to measure the marks'
    // delay; off, so the other tests' dialogs go as scripted.
    bool offersCalibration = false;
    Editor editor;
    EditorWindows windows{editor, clipboard};
    MainWindow& window = windows.mainWindow();

    const std::filesystem::path& programFolder() const { return editor.programFolder(); }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    QAction* item(const QString& name) const { return window.findChild<QAction*>(name); }

    void show() {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

}  // namespace obrin::test
