// Recovery after a real kill: an editor process with unsaved work is killed
// with SIGKILL, a second start takes its work back, song included. A start
// beside the running editor must leave that editor's recovery file alone.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "file_bytes.h"

using namespace std::chrono_literals;

namespace {

const std::filesystem::path kOutput = OBRIN_OUTPUT_DIR;
const std::filesystem::path kDemoSong = OBRIN_DEMO_SONG;

// The lines from "song=" to "end-of-dump" that the child printed.
QByteArray Dump(const QByteArray& output) {
    const qsizetype from = output.indexOf("song=");
    const qsizetype to = output.indexOf("end-of-dump");
    if (from < 0 || to < from) return {};
    return output.mid(from, to - from);
}

}  // namespace

class RecoveryKillTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void killedEditorsWorkComesBack();

  private:
    void start(QProcess& process, const QStringList& arguments);

    QTemporaryDir runtime_;
    QTemporaryDir program_;
    QTemporaryDir work_;
    QTemporaryDir music_;
    QProcess first_;
};

void RecoveryKillTest::init() {
    QVERIFY(runtime_.isValid() && program_.isValid() && work_.isValid() && music_.isValid());
    const std::filesystem::path program = program_.path().toStdString();
    for (const char* file : {"filetype.ini", "vellin.so"})
        std::filesystem::copy_file(kOutput / file, program / file);
}

void RecoveryKillTest::cleanup() {
    if (first_.state() != QProcess::NotRunning) {
        first_.kill();
        first_.waitForFinished(10000);
    }
}

void RecoveryKillTest::start(QProcess& process, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    process.setProcessEnvironment(env);
    process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/recovery_child"));
    process.setArguments(QStringList{program_.path(), work_.path()} + arguments);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
}

void RecoveryKillTest::killedEditorsWorkComesBack() {
    const std::filesystem::path recovery =
        std::filesystem::path(work_.path().toStdString()) / "obrin_recovery_tester.txt";
    const QString song = music_.path() + QStringLiteral("/song.wav");
    std::filesystem::copy_file(kDemoSong, song.toStdString());

    // The first editor works on the song until the work is in the recovery file.
    start(first_, {QStringLiteral("work"), song});
    QByteArray firstOutput;
    QTRY_VERIFY_WITH_TIMEOUT(
        (firstOutput += first_.readAllStandardOutput(), firstOutput.contains("end-of-dump")),
        30000);
    const QByteArray worked = Dump(firstOutput);
    QVERIFY(!firstOutput.contains("song-not-opened"));
    QVERIFY(worked.contains("line=00:02:50|0|0|first \xED\x40\x87\x90"));
    QVERIFY(worked.contains("modified=1"));
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(recovery), 20000);
    const std::string kept = obrin::test::ReadBytes(recovery);

    // A second start while it runs hands over and ends; it neither offers
    // nor touches the running editor's file.
    QProcess second;
    start(second, {QStringLiteral("restore")});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!second.readAllStandardOutput().contains("song="));
    QCOMPARE(obrin::test::ReadBytes(recovery), kept);
    QCOMPARE(first_.state(), QProcess::Running);

    // A crash or a power cut: no close, no clean-up.
    first_.kill();  // SIGKILL
    QVERIFY(first_.waitForFinished(10000));
    QCOMPARE(first_.exitStatus(), QProcess::CrashExit);
    QVERIFY(std::filesystem::exists(recovery));

    // The next start offers the work back; OK reopens the song and restores
    // the document, still unsaved. Its normal close removes the file.
    QProcess third;
    start(third, {QStringLiteral("restore")});
    QVERIFY(third.waitForFinished(30000));
    QCOMPARE(third.exitCode(), 0);
    const QByteArray thirdOutput = third.readAllStandardOutput();
    QVERIFY2(thirdOutput.contains("questions=1"), thirdOutput.constData());
    QCOMPARE(Dump(thirdOutput), worked);
    QVERIFY(thirdOutput.contains("recovery-file-left=0"));
    QVERIFY(!std::filesystem::exists(recovery));
}

QTEST_GUILESS_MAIN(RecoveryKillTest)
#include "recovery_kill_test.moc"
