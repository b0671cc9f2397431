#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "document/qt/confirm_dialog.h"
#include "playback/qt/wait_dialog.h"

namespace obrin {

class TimingFormsTest : public QObject {
    Q_OBJECT

  private slots:
    void confirmPanelShowsTextsAndColours_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("shown");
        QTest::newRow("countdown")
            << "text" << QByteArray("5秒前") << QColor(255, 255, 255) << QStringLiteral("5秒前");
        // あい in Shift-JIS.
        QTest::newRow("lyric") << "lyric" << QByteArray("\x82\xa0\x82\xa2") << QColor(0, 255, 255)
                               << QStringLiteral("あい");
        QTest::newRow("markup stays text") << "lyric" << QByteArray("<b>x</b>")
                                           << QColor(0, 255, 255) << QStringLiteral("<b>x</b>");
        QTest::newRow("cleared") << "text" << QByteArray() << QColor(0, 255, 255) << QString();
    }

    void confirmPanelShowsTextsAndColours() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);
        QFETCH(QColor, colour);
        QFETCH(QString, shown);
        ConfirmDialog form(nullptr);
        if (kind == QLatin1String("lyric")) {
            form.setPanelLyric(text.toStdString());
        } else {
            form.setPanelText(text.toStdString());
        }
        form.setPanelColour({static_cast<std::uint8_t>(colour.red()),
                             static_cast<std::uint8_t>(colour.green()),
                             static_cast<std::uint8_t>(colour.blue())});
        QCOMPARE(form.panel()->text(), shown);
        QCOMPARE(form.panel()->textFormat(), Qt::PlainText);
        QCOMPARE(form.panel()->palette().color(QPalette::Window), colour);
    }

    void confirmButtonsAndClosingCallBack() {
        QMainWindow window;
        ConfirmDialog form(&window);
        int checks = 0, aborts = 0, closes = 0;
        form.onCheck = [&] { ++checks; };
        form.onAbort = [&] { ++aborts; };
        form.onClosed = [&] { ++closes; };
        form.showDialog();
        QVERIFY(form.isVisible());
        QTest::mouseClick(form.checkButton(), Qt::LeftButton);
        QTest::mouseClick(form.abortButton(), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        form.hideDialog();
        QCOMPARE(closes, 0);
        form.showDialog();
        form.close();
        QCOMPARE((std::tuple{checks, aborts, closes}), (std::tuple{1, 1, 1}));
        QVERIFY(!form.isVisible());
    }

    void dialogsStayUsableWhileTheMainWindowIsDisabled() {
        QMainWindow window;
        window.show();
        ConfirmDialog confirm(&window);
        WaitDialog wait(&window);
        confirm.showDialog();
        wait.showWait();
        window.setEnabled(false);
        QVERIFY(confirm.abortButton()->isEnabled());
        QVERIFY(wait.forceQuitButton()->isEnabled());
        // The confirm dialog leaves the window's other parts to the run's
        // lock, and stays where the user follows the lyrics.
        QVERIFY(!confirm.isModal());
        QVERIFY(confirm.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void waitDialogGaugeAndForceQuit() {
        QMainWindow window;
        WaitDialog form(&window);
        QCOMPARE(form.size(), QSize(300, 119));
        QCOMPARE(form.windowTitle(), QString());
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(form.forceQuitButton()->text(), QStringLiteral("強制終了(&X)"));
        form.setWaitText("ファイルを開いています");
        form.showWait();
        QCOMPARE(form.label()->text(), QStringLiteral("しばらくお待ちください"));
        form.setGauge(200, 199, "99%");
        QCOMPARE(form.gauge()->maximum(), 200);
        QCOMPARE(form.gauge()->value(), 199);
        QCOMPARE(form.gauge()->text(), QStringLiteral("99%"));
        form.setGauge(0, 0, "0%");
        QCOMPARE(form.gauge()->maximum(), 1);
        QCOMPARE(form.gauge()->text(), QStringLiteral("0%"));
        form.setMainCaption("caption");
        QCOMPARE(window.windowTitle(), QStringLiteral("caption"));

        int presses = 0;
        form.onForceQuit = [&] { ++presses; };
        QTest::mouseClick(form.forceQuitButton(), Qt::LeftButton);
        QCOMPARE(presses, 1);
        form.close();
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        form.closeWait();
        QVERIFY(!form.isVisible());
    }
};

}  // namespace obrin

QTEST_MAIN(obrin::TimingFormsTest)
#include "timing_forms_test.moc"
