#include "playback/qt/latency_calibration_dialog.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace obrin {

namespace {
constexpr int kProgressEveryMs = 50;
}

LatencyCalibrationDialog::LatencyCalibrationDialog(Player& player, ClickTrack track,
                                                   std::function<bool(const QKeyEvent&)> isMarkKey,
                                                   QWidget* parent)
    : QDialog(parent),
      calibration_(player, std::move(track)),
      finished_(calibration_.finished.connect([this] { showResult(); })),
      isMarkKey_(std::move(isMarkKey)),
      progressTimer_(this) {
    setObjectName(QStringLiteral("TCalibrationForm"));
    setWindowTitle(QStringLiteral("タイミング調整"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("「開始」を押すと、クリック音が不規則な間隔で%1回鳴ります。\n"
                       "聞こえたらすぐにマークキー（または「マーク」ボタン）を押してください。\n"
                       "押した時刻の遅れから、マーク位置を提案します。")
            .arg(calibration_.clickCount()),
        this);
    layout->addWidget(intro);
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("lblProgress"));
    layout->addWidget(progress_);
    mark_ = new QPushButton(QStringLiteral("マーク"), this);
    mark_->setObjectName(QStringLiteral("btnMark"));
    mark_->setMinimumHeight(48);
    // Pressed by the mouse only: the keyboard's presses come through the
    // Mark key, and a focused button would take a second one from Space.
    mark_->setFocusPolicy(Qt::NoFocus);
    mark_->setEnabled(false);
    layout->addWidget(mark_);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("lblResult"));
    result_->setWordWrap(true);
    layout->addWidget(result_);

    auto* buttons = new QDialogButtonBox(this);
    start_ = buttons->addButton(QStringLiteral("開始"), QDialogButtonBox::ActionRole);
    start_->setObjectName(QStringLiteral("btnStart"));
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    ok_->setEnabled(false);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    connect(start_, &QPushButton::clicked, this, &LatencyCalibrationDialog::begin);
    connect(mark_, &QPushButton::pressed, this, [this] { calibration_.press(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, [this] { calibration_.cancel(); });
    progressTimer_.setInterval(kProgressEveryMs);
    connect(&progressTimer_, &QTimer::timeout, this, &LatencyCalibrationDialog::showProgress);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    installEventFilter(this);
    showProgress();
}

LatencyCalibrationDialog::~LatencyCalibrationDialog() = default;

std::string LatencyCalibrationDialog::proposedOffset() const {
    const auto& result = calibration_.result();
    return result && result->accepted ? result->proposedOffset : std::string();
}

bool LatencyCalibrationDialog::eventFilter(QObject* watched, QEvent* event) {
    // Before and after a run the Mark key is an ordinary key: Space, its
    // designed key, must still press 「開始」.
    if (event->type() == QEvent::KeyPress && calibration_.running() &&
        isMarkKey_(static_cast<const QKeyEvent&>(*event))) {
        // Held keys repeat; only the press itself is an answer.
        if (!static_cast<const QKeyEvent*>(event)->isAutoRepeat()) calibration_.press();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LatencyCalibrationDialog::begin() {
    result_->clear();
    ok_->setEnabled(false);
    try {
        calibration_.start();
    } catch (const PlayerError& error) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("再生・一時停止が出来ません\n%1")
                                  .arg(QString::fromStdString(error.what())));
        return;
    }
    start_->setEnabled(false);
    mark_->setEnabled(true);
    progressTimer_.start();
    showProgress();
}

void LatencyCalibrationDialog::showProgress() {
    progress_->setText(QStringLiteral("クリック %1 / %2")
                           .arg(calibration_.clicksHeard())
                           .arg(calibration_.clickCount()));
}

void LatencyCalibrationDialog::showResult() {
    progressTimer_.stop();
    showProgress();
    mark_->setEnabled(false);
    start_->setEnabled(true);
    start_->setText(QStringLiteral("やり直す"));
    const CalibrationResult& r = *calibration_.result();
    QString text;
    if (r.answered > 0) {
        text = QStringLiteral("遅れの中央値: %1 ms　ばらつき: %2 ms（%3回中%4回）\n")
                   .arg(std::lround(r.medianMs))
                   .arg(std::lround(r.spreadMs))
                   .arg(r.clicks)
                   .arg(r.answered);
    }
    if (r.accepted) {
        text += QStringLiteral("マーク位置を %1 秒にします。よろしければOKを押してください。")
                    .arg(QString::fromStdString(r.proposedOffset));
    } else if (r.spreadMs > CalibrationResult::kMostSpreadMs) {
        text += QStringLiteral(
                    "ばらつきが大きすぎます（%1 ms以下が必要です）。"
                    "もう一度やり直してください。")
                    .arg(CalibrationResult::kMostSpreadMs);
    } else {
        text += QStringLiteral("押された回数が足りません。もう一度やり直してください。");
    }
    result_->setText(text);
    ok_->setEnabled(r.accepted);
}

}  // namespace obrin
