#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/instance_lock.h"

using namespace obrin;

// Starts the built program as a user would, with its own runtime folder so
// the test never meets an editor the developer has open.
class SingleInstanceTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void secondCopyEndsAtOnceAndSilently();
    void killedCopyDoesNotBlockTheNextStart();

  private:
    void start(QProcess& process);
    // True once a running editor holds the lock (probed by taking it).
    bool editorHoldsLock() const;
    void waitUntilEditorHoldsLock(QProcess& process);

    QTemporaryDir runtime_;
    QProcess first_;
    QProcess third_;
};

void SingleInstanceTest::init() {
    QVERIFY(runtime_.isValid());
}

void SingleInstanceTest::cleanup() {
    for (QProcess* process : {&first_, &third_}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(10000);
        }
    }
}

void SingleInstanceTest::start(QProcess& process) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    process.setProcessEnvironment(env);
    process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/obrin"));
    process.start();
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
}

bool SingleInstanceTest::editorHoldsLock() const {
    return !InstanceLock::Acquire(runtime_.path().toStdString()).has_value();
}

void SingleInstanceTest::waitUntilEditorHoldsLock(QProcess& process) {
    QTRY_VERIFY_WITH_TIMEOUT(editorHoldsLock() || process.state() == QProcess::NotRunning, 20000);
    QCOMPARE(process.state(), QProcess::Running);
}

void SingleInstanceTest::secondCopyEndsAtOnceAndSilently() {
    start(first_);
    waitUntilEditorHoldsLock(first_);

    QProcess second;
    start(second);
    // Generous bound: the copy ends before it would even open a window.
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
    QCOMPARE(first_.state(), QProcess::Running);
}

void SingleInstanceTest::killedCopyDoesNotBlockTheNextStart() {
    start(first_);
    waitUntilEditorHoldsLock(first_);
    first_.kill();  // SIGKILL: no clean-up runs in the editor
    QVERIFY(first_.waitForFinished(10000));
    QVERIFY(!editorHoldsLock());

    start(third_);
    waitUntilEditorHoldsLock(third_);
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
