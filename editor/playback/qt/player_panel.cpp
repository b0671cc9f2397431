#include "playback/qt/player_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "base/command_ids.h"

namespace obrin {

namespace {

QLabel* TimePanel(const char* name, const QString& hint, QWidget* parent) {
    auto* panel = new QLabel(QStringLiteral("00:00:00"), parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setToolTip(hint);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumWidth(64);
    return panel;
}

QSlider* Slider(const char* name, int minimum, int maximum, int value, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(minimum, maximum);
    slider->setSingleStep(1);
    slider->setValue(value);
    return slider;
}

}  // namespace

PlayerPanel::PlayerPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel2"));

    panCurrentPos_ = TimePanel("panCurrentPos", QStringLiteral("再生位置"), this);
    panTotalPos_ = TimePanel("panTotalPos", QStringLiteral("総時間"), this);
    panSeekPos_ = TimePanel("panSeekPos", QStringLiteral("カーソル位置"), this);

    pbrPosition_ = new QProgressBar(this);
    pbrPosition_->setObjectName(QStringLiteral("pbrPosition"));
    pbrPosition_->setRange(0, 100);
    pbrPosition_->setValue(0);
    pbrPosition_->setTextVisible(false);
    pbrPosition_->setCursor(Qt::CrossCursor);
    // The cursor time follows the mouse without a pressed button.
    pbrPosition_->setMouseTracking(true);

    btnPlayStop_ = new QPushButton(QStringLiteral("再生"), this);
    btnPlayStop_->setObjectName(QString::fromLatin1(command::kPlayPause.objectName()));
    btnStop_ = new QPushButton(QStringLiteral("停止"), this);
    btnStop_->setObjectName(QString::fromLatin1(command::kStop.objectName()));

    lblPitch_ = new QLabel(QStringLiteral("ピッチ（100%)"), this);
    lblPitch_->setObjectName(QStringLiteral("lblPitch"));
    tbrPitch_ = Slider("tbrPitch", 20, 300, 100, this);
    auto* volumeLabel = new QLabel(QStringLiteral("ボリューム"), this);
    volumeLabel->setObjectName(QStringLiteral("Label2"));
    tbrVolume_ = Slider("tbrVolume", -3000, 0, 0, this);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(panCurrentPos_, 0, 0);
    layout->addWidget(pbrPosition_, 0, 1, 1, 4);
    layout->addWidget(panTotalPos_, 0, 5);
    layout->addWidget(panSeekPos_, 1, 0);
    layout->addWidget(btnPlayStop_, 1, 1);
    layout->addWidget(btnStop_, 1, 2);
    layout->addWidget(lblPitch_, 1, 3);
    layout->addWidget(tbrPitch_, 1, 4);
    layout->addWidget(volumeLabel, 2, 3);
    layout->addWidget(tbrVolume_, 2, 4);
    layout->setColumnStretch(4, 1);
}

void PlayerPanel::setBarColour(const QColor& colour) {
    QPalette palette = pbrPosition_->palette();
    palette.setColor(QPalette::Highlight, colour);
    pbrPosition_->setPalette(palette);
}

}  // namespace obrin
