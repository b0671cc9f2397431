#include "playback/qt/draft_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace obrin {

DraftDialog::DraftDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DraftForm"));
    setWindowTitle(QStringLiteral("タイミングの下書き"));
    setModal(true);

    auto* label = new QLabel(QString::fromUtf8(kWorking), this);
    label->setTextFormat(Qt::PlainText);
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("DraftGauge"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    stop_ = new QPushButton(QStringLiteral("中止"), this);
    stop_->setObjectName(QStringLiteral("btnStopDraft"));
    connect(stop_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(gauge_);
    layout->addWidget(stop_, 0, Qt::AlignCenter);
    setMinimumWidth(320);
}

void DraftDialog::setPercent(int percent) {
    gauge_->setValue(percent);
}

}  // namespace obrin
