#include "playback/qt/player_panel_binding.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "base/playback_control.h"
#include "playback/qt/player_panel.h"

namespace obrin {

PlayerPanelBinding::PlayerPanelBinding(PlayerPanel& panel, PlaybackControl& playback)
    : panel_(panel), playback_(playback) {
    playback_.setView(this);
    connect(panel_.pitchSlider(), &QSlider::valueChanged, this,
            [this](int value) { playback_.pitchChanged(value); });
    connect(panel_.volumeSlider(), &QSlider::valueChanged, this,
            [this](int value) { playback_.volumeChanged(value); });
    panel_.positionBar()->installEventFilter(this);
}

PlayerPanelBinding::~PlayerPanelBinding() {
    playback_.setView(nullptr);
}

bool PlayerPanelBinding::eventFilter(QObject* watched, QEvent* event) {
    QProgressBar* bar = panel_.positionBar();
    if (watched == bar) {
        if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            playback_.positionBarMouseMoved(static_cast<int>(mouse->position().x()), bar->width());
        } else if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // A press is also where the mouse now is, even if it never moved.
            playback_.positionBarMouseMoved(static_cast<int>(mouse->position().x()), bar->width());
            if (mouse->button() == Qt::LeftButton) playback_.positionBarLeftPressed();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlayerPanelBinding::setCurrentPosText(const std::string& text) {
    panel_.currentPosition()->setText(QString::fromStdString(text));
}

void PlayerPanelBinding::setTotalPosText(const std::string& text) {
    panel_.totalPosition()->setText(QString::fromStdString(text));
}

void PlayerPanelBinding::setSeekPosText(const std::string& text) {
    panel_.seekPosition()->setText(QString::fromStdString(text));
}

void PlayerPanelBinding::setPositionMaximum(int maximumMs) {
    // A range of 0 ... 0 (an empty file) would turn the bar into a busy
    // indicator.
    panel_.positionBar()->setRange(0, std::max(maximumMs, 1));
}

void PlayerPanelBinding::setPosition(int ms) {
    // The bar ignores values outside its range instead of pinning them.
    QProgressBar* bar = panel_.positionBar();
    bar->setValue(std::clamp(ms, bar->minimum(), bar->maximum()));
}

void PlayerPanelBinding::setPlayCaption(const std::string& caption) {
    panel_.playButton()->setText(QString::fromStdString(caption));
}

void PlayerPanelBinding::setPitchLabel(const std::string& text) {
    panel_.pitchLabel()->setText(QString::fromStdString(text));
}

}  // namespace obrin
