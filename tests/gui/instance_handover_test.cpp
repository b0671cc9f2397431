// A second start of the built program hands its file to the running editor.
// The test plays the running editor: it holds the instance lock in a runtime
// folder of its own and listens as the editor does.
#include "shell/qt/instance_handover.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/instance_lock.h"

using namespace obrin;

class InstanceHandoverTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void secondStart_data();
    void secondStart();
    void staleSocketFileIsReplaced();
    void nothingListeningEndsTheSenderInTime();

  private:
    std::filesystem::path runtime() const { return runtime_->path().toStdString(); }
    // Starts the program as a user would, from `folder` with `arguments`;
    // returns once it has ended.
    void runSecondStart(const QString& folder, const QStringList& arguments);

    std::unique_ptr<QTemporaryDir> runtime_;
    std::optional<InstanceLock> lock_;
    std::unique_ptr<InstanceServer> server_;
    std::vector<std::string> requests_;
};

void InstanceHandoverTest::init() {
    runtime_ = std::make_unique<QTemporaryDir>();
    QVERIFY(runtime_->isValid());
    lock_ = InstanceLock::Acquire(runtime());
    QVERIFY(lock_ && lock_->holdsLock());
    server_ = std::make_unique<InstanceServer>(runtime());
    QVERIFY(server_->isListening());
    requests_.clear();
    server_->onRequest = [this](const std::string& file) { requests_.push_back(file); };
}

void InstanceHandoverTest::cleanup() {
    server_.reset();
    lock_.reset();
    runtime_.reset();
}

void InstanceHandoverTest::runSecondStart(const QString& folder, const QStringList& arguments) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_->path());
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(folder);
    second.start(QCoreApplication::applicationDirPath() + QStringLiteral("/obrin"), arguments);
    QVERIFY2(second.waitForStarted(10000), qPrintable(second.errorString()));
    // The sender waits for this process's events to take its message.
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
}

void InstanceHandoverTest::secondStart_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("handedOver");  // relative to the start's folder
    QTest::newRow("relative file")
        << QStringList{QStringLiteral("song.wav")} << QStringLiteral("song.wav");
    QTest::newRow("name with blanks and kana")
        << QStringList{QStringLiteral("sub dir/うた 1.mp3"), QStringLiteral("ignored.wav")}
        << QStringLiteral("sub dir/うた 1.mp3");
    QTest::newRow("no file: raise only") << QStringList{} << QString();
    QTest::newRow("registration switch: raise only")
        << QStringList{QStringLiteral("-install-dll"), QStringLiteral("wav"),
                       QStringLiteral("x.dll")}
        << QString();
}

void InstanceHandoverTest::secondStart() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, handedOver);
    QTemporaryDir folder;
    runSecondStart(folder.path(), arguments);
    QTRY_COMPARE(requests_.size(), std::size_t{1});
    const std::string expected =
        handedOver.isEmpty() ? std::string() : (folder.path() + u'/' + handedOver).toStdString();
    QCOMPARE(requests_.front(), expected);
}

void InstanceHandoverTest::staleSocketFileIsReplaced() {
    // An editor that was killed leaves its socket file; the next one listens anyway.
    server_.reset();
    QFile stale(QString::fromStdString(InstanceSocketPath(runtime()).string()));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    server_ = std::make_unique<InstanceServer>(runtime());
    QVERIFY(server_->isListening());
}

void InstanceHandoverTest::nothingListeningEndsTheSenderInTime() {
    server_.reset();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!SendToRunningEditor(runtime(), "/x.wav", 300));
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(InstanceHandoverTest)
#include "instance_handover_test.moc"
