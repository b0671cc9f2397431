#include "document/qt/confirm_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt/centre_on.h"
#include "base/sjis_codec.h"

namespace obrin {

ConfirmDialog::ConfirmDialog(QWidget* mainWindow)
    // No parent: disabling the main window during a run must not disable
    // the dialog with it.
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("TKakuninForm"));
    setWindowTitle(QStringLiteral("確認"));
    setModal(false);
    setFixedSize(506, 78);

    panel_ = new QLabel(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setAlignment(Qt::AlignCenter);
    // A lyric is shown as it is written, never as markup.
    panel_->setTextFormat(Qt::PlainText);
    panel_->setAutoFillBackground(true);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(16);
    panel_->setFont(font);
    setPanelColour(kCountdownColour);

    check_ = new QPushButton(QStringLiteral("チェック"), this);
    check_->setObjectName(QStringLiteral("Button1"));
    abort_ = new QPushButton(QStringLiteral("中断"), this);
    abort_->setObjectName(QStringLiteral("Button2"));
    // The buttons must not take Enter as a default: a key press meant for
    // the song would otherwise abort or check.
    check_->setAutoDefault(false);
    abort_->setAutoDefault(false);
    connect(check_, &QPushButton::clicked, this, [this] {
        if (onCheck) onCheck();
    });
    connect(abort_, &QPushButton::clicked, this, [this] {
        if (onAbort) onAbort();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(check_);
    buttons->addStretch();
    buttons->addWidget(abort_);
    buttons->addStretch(2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(panel_, 1);
    layout->addLayout(buttons);
}

void ConfirmDialog::showDialog() {
    CentreOn(this, mainWindow_);
    show();
    raise();
}

void ConfirmDialog::hideDialog() {
    hide();
}

void ConfirmDialog::setPanelText(const std::string& utf8) {
    panel_->setText(QString::fromStdString(utf8));
}

void ConfirmDialog::setPanelLyric(const std::string& sjis) {
    panel_->setText(QString::fromStdString(SjisToUtf8(sjis)));
}

void ConfirmDialog::setPanelColour(PanelColour colour) {
    QPalette palette = panel_->palette();
    palette.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
    panel_->setPalette(palette);
}

void ConfirmDialog::closeEvent(QCloseEvent* event) {
    // QDialog would turn the close into reject(), which Escape also reaches
    // and which does nothing here.
    event->accept();
    if (onClosed) onClosed();
}

}  // namespace obrin
