#include "playback/qt/wait_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/qt/centre_on.h"

namespace obrin {

WaitDialog::WaitDialog(QWidget* mainWindow)
    // No parent: the main window is disabled while a file converts, and the
    // force-quit button must stay usable.
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint),
      mainWindow_(mainWindow) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("TWaitForm"));
    setModal(false);
    setFixedSize(300, 119);

    label_ = new QLabel(QString::fromUtf8(kPleaseWait), this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setTextFormat(Qt::PlainText);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setAlignment(Qt::AlignCenter);
    gauge_->setFormat(QStringLiteral("0%"));
    QFont gaugeFont(QStringLiteral("ＭＳ ゴシック"));
    gaugeFont.setPixelSize(21);
    gaugeFont.setBold(true);
    gauge_->setFont(gaugeFont);
    gauge_->setStyleSheet(QStringLiteral(
        "QProgressBar { background: white; border: 1px solid gray; text-align: center; }"
        "QProgressBar::chunk { background: blue; }"));

    button_ = new QPushButton(QStringLiteral("強制終了(&X)"), this);
    button_->setObjectName(QStringLiteral("Button1"));
    connect(button_, &QPushButton::clicked, this, [this] {
        if (onForceQuit) onForceQuit();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(gauge_);
    layout->addWidget(button_, 0, Qt::AlignCenter);
}

void WaitDialog::showWait() {
    label_->setText(QString::fromUtf8(kPleaseWait));
    CentreOn(this, mainWindow_);
    show();
    raise();
}

void WaitDialog::closeWait() {
    hide();
}

void WaitDialog::setWaitText(const std::string& text) {
    label_->setText(QString::fromStdString(text));
}

void WaitDialog::setGauge(int maximum, int progress, const std::string& text) {
    // A range of 0 ... 0 would turn the bar into a busy indicator.
    gauge_->setRange(0, std::max(maximum, 1));
    gauge_->setValue(progress);
    // The text is the core's truncated percentage; the bar's own "%p" would
    // round it up before the conversion is really done.
    gauge_->setFormat(QString::fromStdString(text));
}

void WaitDialog::setMainCaption(const std::string& caption) {
    if (mainWindow_) mainWindow_->setWindowTitle(QString::fromStdString(caption));
}

void WaitDialog::processPendingEvents() {
    QCoreApplication::processEvents();
}

void WaitDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace obrin
