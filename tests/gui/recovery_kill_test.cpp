// Recovery after a real kill: an editor process with unsaved work is killed
// with SIGKILL, a second start takes its work back, song included. A start
// beside the running editor must leave that editor's recovery file alone.
// Killed while timing karaoke units, ten taps a second, the editor loses at
// most the taps of the last two seconds.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <map>
#include <utility>

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

// What the child printed for each "PREFIX=a|b|...": the fields.
std::vector<QList<QByteArray>> Fields(const QByteArray& output, const QByteArray& prefix) {
    std::vector<QList<QByteArray>> rows;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith(prefix + "=")) rows.push_back(line.mid(prefix.size() + 1).split('|'));
    }
    return rows;
}

// The unit times (centiseconds) of the restored document, by line and unit;
// a line's end is the unit after its last.
std::map<std::pair<int, int>, int> RestoredUnitTimes(const QByteArray& output) {
    std::map<std::pair<int, int>, int> times;
    for (const QList<QByteArray>& row : Fields(output, "units")) {
        const int line = row.value(0).toInt();
        int unit = 0;
        for (const QByteArray& start : row.value(1).split(',')) {
            if (!start.isEmpty()) times[{line, unit++}] = start.toInt();
        }
        times[{line, unit}] = row.value(2).toInt();
    }
    return times;
}

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

class RecoveryKillTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void killedEditorsWorkComesBack();
    void killedWhileTappingLosesAtMostTwoSeconds();

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
        std::filesystem::copy_file(kOutput / file, program / file,
                                   std::filesystem::copy_options::overwrite_existing);
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

void RecoveryKillTest::killedWhileTappingLosesAtMostTwoSeconds() {
    const std::filesystem::path recovery =
        std::filesystem::path(work_.path().toStdString()) / "obrin_recovery_tester.txt";
    const QString song = music_.path() + QStringLiteral("/song.wav");
    std::filesystem::copy_file(kDemoSong, song.toStdString(),
                               std::filesystem::copy_options::overwrite_existing);

    // Tapping never goes quiet, yet its units reach the file while it goes
    // on. The kill comes 2.5 s after a write was seen: any bound on the
    // writes above two seconds leaves taps older than that unwritten then.
    start(first_, {QStringLiteral("tap"), song});
    const auto written = [&recovery] {
        return std::filesystem::exists(recovery) ? obrin::test::ReadBytes(recovery) : std::string();
    };
    QTRY_VERIFY_WITH_TIMEOUT(written().find("unitLines=0") != std::string::npos, 20000);
    const std::string seen = written();
    QTRY_VERIFY_WITH_TIMEOUT(written() != seen, 20000);
    const std::int64_t rewrittenAt = SteadyMs();
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT(
        (output += first_.readAllStandardOutput(),
         !Fields(output, "tap").empty() &&
             Fields(output, "tap").back().value(3).toLongLong() >= rewrittenAt + 2500),
        20000);
    const std::int64_t killedAt = SteadyMs();
    first_.kill();  // SIGKILL
    QVERIFY(first_.waitForFinished(10000));
    output += first_.readAllStandardOutput();
    QVERIFY(!output.contains("song-not-opened"));

    QProcess second;
    start(second, {QStringLiteral("restore")});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    const std::map<std::pair<int, int>, int> restored =
        RestoredUnitTimes(second.readAllStandardOutput());
    int older = 0;
    for (const QList<QByteArray>& tap : Fields(output, "tap")) {
        if (killedAt - tap.value(3).toLongLong() <= 2000) continue;
        ++older;
        const std::pair<int, int> unit{tap.value(0).toInt(), tap.value(1).toInt()};
        const auto found = restored.find(unit);
        QVERIFY2(found != restored.end() && found->second == tap.value(2).toInt(),
                 qPrintable(QStringLiteral("the tap of line %1 unit %2 at %3 cs, %4 ms before "
                                           "the kill, was lost")
                                .arg(unit.first)
                                .arg(unit.second)
                                .arg(tap.value(2).constData())
                                .arg(killedAt - tap.value(3).toLongLong())));
    }
    QVERIFY(older >= 30);
}

QTEST_GUILESS_MAIN(RecoveryKillTest)
#include "recovery_kill_test.moc"
