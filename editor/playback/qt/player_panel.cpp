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

    currentPosition_ = TimePanel("panCurrentPos", QStringLiteral("再生位置"), this);
    totalPosition_ = TimePanel("panTotalPos", QStringLiteral("総時間"), this);
    seekPosition_ = TimePanel("panSeekPos", QStringLiteral("カーソル位置"), this);

    positionBar_ = new QProgressBar(this);
    positionBar_->setObjectName(QStringLiteral("pbrPosition"));
    positionBar_->setRange(0, 100);
    positionBar_->setValue(0);
    positionBar_->setTextVisible(false);
    positionBar_->setCursor(Qt::CrossCursor);
    // The cursor time follows the mouse without a pressed button.
    positionBar_->setMouseTracking(true);

    playButton_ = new QPushButton(QStringLiteral("再生"), this);
    playButton_->setObjectName(QString::fromLatin1(command::kPlayPause.objectName()));
    stopButton_ = new QPushButton(QStringLiteral("停止"), this);
    stopButton_->setObjectName(QString::fromLatin1(command::kStop.objectName()));

    pitchLabel_ = new QLabel(QStringLiteral("ピッチ（100%)"), this);
    pitchLabel_->setObjectName(QStringLiteral("lblPitch"));
    pitchSlider_ = Slider("tbrPitch", 20, 300, 100, this);
    auto* volumeLabel = new QLabel(QStringLiteral("ボリューム"), this);
    volumeLabel->setObjectName(QStringLiteral("Label2"));
    volumeSlider_ = Slider("tbrVolume", -3000, 0, 0, this);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(currentPosition_, 0, 0);
    layout->addWidget(positionBar_, 0, 1, 1, 4);
    layout->addWidget(totalPosition_, 0, 5);
    layout->addWidget(seekPosition_, 1, 0);
    layout->addWidget(playButton_, 1, 1);
    layout->addWidget(stopButton_, 1, 2);
    layout->addWidget(pitchLabel_, 1, 3);
    layout->addWidget(pitchSlider_, 1, 4);
    layout->addWidget(volumeLabel, 2, 3);
    layout->addWidget(volumeSlider_, 2, 4);
    layout->setColumnStretch(4, 1);
}

void PlayerPanel::setBarColour(const QColor& colour) {
    QPalette palette = positionBar_->palette();
    palette.setColor(QPalette::Highlight, colour);
    positionBar_->setPalette(palette);
}

}  // namespace obrin
