#include "playback/qt/waveform_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "base/time_text.h"
#include "document/document.h"
#include "playback/peak_pyramid.h"
#include "text/qt/sjis_qt.h"

namespace obrin {

namespace {

const QColor kBackground(24, 24, 24);
const QColor kWave(0, 176, 0);
const QColor kCentre(60, 60, 60);
const QColor kOnset(230, 190, 40);
const QColor kMarker(90, 150, 255);
const QColor kCurrentMarker(255, 255, 255);
const QColor kDragged(255, 120, 60);
// A draft's proposal, apart from every time the user set.
const QColor kDraftMarker(200, 120, 255);
const QColor kCurrentDraftMarker(235, 200, 255);
// Behind the dragged marker's time, so the wave does not run through it.
const QColor kLabelBox(0, 0, 0);
const QColor kHead(255, 40, 40);
const QColor kNote(200, 200, 200);
constexpr int kOnsetTick = 6;
// How far the mouse must move before a press on a marker drags it.
constexpr double kDragThreshold = 3.0;
const QColor kUnitTick(255, 130, 200);
const QColor kLineEndTick(80, 220, 220);
// The square on top of a unit's tick and the arms of the end's bracket,
// which keep a tick seen where it stands on its line's marker.
constexpr double kTickHandle = 5.0;

// The dragged marker's or tick's caption on a box of its own, beside x on
// the side where it fits, so the wave does not run through it.
void PaintDragLabel(QPainter& painter, double x, const QString& text, int width, double baseline) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int advance = metrics.horizontalAdvance(text);
    const bool leftOfMarker = x + 6 + advance > width;
    const double textX = leftOfMarker ? x - 6 - advance : x + 6;
    const QRectF box(textX - 3, baseline - metrics.ascent() - 2, advance + 6,
                     metrics.ascent() + metrics.descent() + 4);
    painter.fillRect(box, kLabelBox);
    painter.drawRect(box);
    painter.drawText(QPointF(textX, baseline), text);
}

void PaintTick(QPainter& painter, double x, const UnitTickBand& band, bool lineEnd,
               const QColor& colour) {
    painter.setPen(colour);
    painter.drawLine(QLineF(x, band.top, x, band.bottom));
    if (lineEnd) {
        painter.drawLine(QLineF(x - kTickHandle, band.top, x, band.top));
        painter.drawLine(QLineF(x - kTickHandle, band.bottom, x, band.bottom));
    } else {
        painter.fillRect(QRectF(x - kTickHandle / 2, band.top, kTickHandle, kTickHandle), colour);
    }
}

}  // namespace

WaveformStrip::WaveformStrip(Document& document, QWidget* parent)
    : QWidget(parent), document_(document), lyrics_(document.lyrics) {
    setObjectName(QStringLiteral("pnlWaveform"));
    setFixedHeight(kHeight);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    view_.setWidth(width());

    const auto changed = [this] { markersChanged(); };
    lyricsConnections_.push_back(lyrics_.linesInserted.connect([changed](int, int) { changed(); }));
    lyricsConnections_.push_back(lyrics_.linesRemoved.connect([changed](int, int) { changed(); }));
    lyricsConnections_.push_back(lyrics_.wasReset.connect(changed));
    lyricsConnections_.push_back(lyrics_.linesChanged.connect([changed](int, int, LinePart part) {
        if (part == LinePart::TimeText) changed();
    }));
    lyricsConnections_.push_back(lyrics_.linesChanged.connect([this](int, int, LinePart part) {
        if (part == LinePart::LyricText) unitsChanged();
    }));
    lyricsConnections_.push_back(lyrics_.currentLineChanged.connect([this](int line) {
        current_ = line;
        unitsChanged();
    }));
    lyricsConnections_.push_back(document_.fieldChanged.connect([this](DocumentField field) {
        if (field == DocumentField::Ruby) unitsChanged();
    }));
    markersChanged();

    headTimer_.setInterval(kHeadIntervalMs);
    connect(&headTimer_, &QTimer::timeout, this, &WaveformStrip::lookAtHead);
}

void WaveformStrip::setSong(double durationSeconds, double finestSecondsPerPixel) {
    view_.setSong(durationSeconds, finestSecondsPerPixel);
    view_.setWidth(width());
    peaks_ = nullptr;
    onsets_ = nullptr;
    headSeconds_ = 0.0;
    pressed_ = dragging_ = false;
    if (durationSeconds > 0) {
        headTimer_.start();
    } else {
        headTimer_.stop();
    }
    update();
}

void WaveformStrip::setAnalysis(const PeakPyramid* peaks,
                                const std::vector<std::int32_t>* onsetsMs) {
    peaks_ = peaks;
    onsets_ = onsetsMs;
    update();
}

void WaveformStrip::setNote(const QString& note) {
    note_ = note;
    update();
}

void WaveformStrip::lookAtHead() {
    if (!head_) return;
    const double head = head_();
    if (head == headSeconds_) return;
    headSeconds_ = head;
    if (!dragging_) view_.follow(head);
    update();
}

void WaveformStrip::markersChanged() {
    markers_ = TimedLineMarkers(lyrics_);
    std::stable_sort(markers_.begin(), markers_.end(),
                     [](const LineMarker& a, const LineMarker& b) { return a.ms < b.ms; });
    current_ = lyrics_.currentLine();
    unitsChanged();
}

void WaveformStrip::unitsChanged() {
    ticks_ = UnitTicks(document_, current_);
    // The tick under the mouse may have moved or gone: the drag ends unheard.
    if (dragTick_ >= 0) {
        pressed_ = dragging_ = false;
        dragTick_ = -1;
    }
    update();
}

std::int32_t WaveformStrip::msAt(double x) const {
    const double seconds = std::clamp(view_.timeAt(x), 0.0, view_.durationSeconds());
    return static_cast<std::int32_t>(std::lround(seconds * 1000.0));
}

void WaveformStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_.setWidth(width());
}

void WaveformStrip::wheelEvent(QWheelEvent* event) {
    if (view_.durationSeconds() <= 0) return;
    const QPoint delta = event->angleDelta();
    const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120.0;
    if (event->modifiers() & Qt::ShiftModifier || delta.y() == 0) {
        // A notch scrolls a tenth of the view.
        view_.scrollBy(-notches * width() / 10.0);
    } else {
        view_.zoomAt(event->position().x(), notches);
    }
    event->accept();
    update();
}

void WaveformStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || view_.durationSeconds() <= 0) return;
    pressed_ = true;
    dragging_ = false;
    pressX_ = event->position().x();
    dragTick_ =
        UnitTickNear(ticks_, view_, height(), pressX_, event->position().y(), kGrabDistance);
    if (dragTick_ >= 0) dragMs_ = ticks_[static_cast<std::size_t>(dragTick_)].ms;
    const int near = dragTick_ >= 0 ? -1 : MarkerNear(markers_, view_, pressX_, kGrabDistance);
    dragLine_ = near >= 0 ? markers_[static_cast<std::size_t>(near)].line : -1;
    if (near >= 0) dragMs_ = markers_[static_cast<std::size_t>(near)].ms;
}

void WaveformStrip::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || (dragLine_ < 0 && dragTick_ < 0)) return;
    const double x = event->position().x();
    if (!dragging_ && std::abs(x - pressX_) < kDragThreshold) return;
    dragging_ = true;
    dragMs_ = dragTick_ >= 0 ? UnitTickMsAt(ticks_[static_cast<std::size_t>(dragTick_)], view_, x)
                             : msAt(x);
    update();
}

void WaveformStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        update();
        if (const int tick = std::exchange(dragTick_, -1); tick >= 0) {
            emit unitRetimed(current_, ticks_[static_cast<std::size_t>(tick)].unit, dragMs_ / 10);
        } else {
            emit lineRetimed(dragLine_, dragMs_);
        }
    } else {
        emit seekRequested(msAt(event->position().x()) / 1000.0);
    }
}

void WaveformStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (view_.durationSeconds() <= 0) return;
    painter.setPen(kCentre);
    painter.drawLine(0, height() / 2, width(), height() / 2);
    if (peaks_) {
        paintPeaks(painter);
    } else if (!note_.isEmpty()) {
        painter.setPen(kNote);
        painter.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, note_);
    }
    paintOnsets(painter);
    paintMarkers(painter);
    paintUnitTicks(painter);
    const double head = view_.xAt(headSeconds_);
    painter.setPen(kHead);
    painter.drawLine(QLineF(head, 0, head, height()));
}

void WaveformStrip::paintPeaks(QPainter& painter) const {
    const double rate = peaks_->sampleRate();
    const std::vector<PeakPair> columns =
        peaks_->columns(view_.startSeconds() * rate, view_.secondsPerPixel() * rate, width());
    const double middle = height() / 2.0;
    const double scale = middle - 1.0;
    std::vector<QLineF> lines;
    lines.reserve(columns.size());
    for (std::size_t x = 0; x < columns.size(); ++x) {
        const double top = middle - columns[x].max * scale;
        const double bottom = middle - columns[x].min * scale;
        // A column of silence still shows as one pixel.
        lines.emplace_back(x + 0.5, top, x + 0.5, std::max(bottom, top + 1.0));
    }
    painter.setPen(kWave);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void WaveformStrip::paintOnsets(QPainter& painter) const {
    if (!onsets_ || onsets_->empty()) return;
    const auto firstMs = static_cast<std::int32_t>(view_.startSeconds() * 1000.0);
    const auto lastMs =
        static_cast<std::int32_t>((view_.startSeconds() + view_.spanSeconds()) * 1000.0) + 1;
    std::vector<QLineF> ticks;
    for (auto it = std::lower_bound(onsets_->begin(), onsets_->end(), firstMs);
         it != onsets_->end() && *it <= lastMs; ++it) {
        const double x = view_.xAt(*it / 1000.0);
        ticks.emplace_back(x, height() - kOnsetTick, x, height());
    }
    painter.setPen(kOnset);
    painter.drawLines(ticks.data(), static_cast<int>(ticks.size()));
}

void WaveformStrip::paintMarkers(QPainter& painter) const {
    const QFontMetrics metrics = painter.fontMetrics();
    const int textTop = metrics.ascent() + 1;
    double labelEnd = -1e9;
    const auto firstMs = static_cast<std::int32_t>(view_.startSeconds() * 1000.0) - 1;
    const auto lastMs =
        static_cast<std::int32_t>((view_.startSeconds() + view_.spanSeconds()) * 1000.0) + 1;
    auto it = std::lower_bound(markers_.begin(), markers_.end(), firstMs,
                               [](const LineMarker& m, std::int32_t ms) { return m.ms < ms; });
    for (; it != markers_.end() && it->ms <= lastMs; ++it) {
        if (dragging_ && it->line == dragLine_) continue;
        const double x = view_.xAt(it->ms / 1000.0);
        const bool current = it->line == current_;
        if (it->draft) {
            painter.setPen(QPen(current ? kCurrentDraftMarker : kDraftMarker, 1, Qt::DashLine));
        } else {
            painter.setPen(current ? kCurrentMarker : kMarker);
        }
        painter.drawLine(QLineF(x, 0, x, height() - kOnsetTick - 1));
        // Line numbers that would overlap the one before are left out; the
        // marker still shows.
        if (x + 2 > labelEnd) {
            const QString number = QString::number(it->line + 1);
            painter.drawText(QPointF(x + 2, textTop), number);
            labelEnd = x + 2 + metrics.horizontalAdvance(number) + 2;
        }
    }
    if (dragging_ && dragLine_ >= 0) {
        const double x = view_.xAt(dragMs_ / 1000.0);
        painter.setPen(kDragged);
        painter.drawLine(QLineF(x, 0, x, height()));
        const QString text = QString::number(dragLine_ + 1) + QStringLiteral("  ") +
                             QString::fromStdString(FormatTimeText(dragMs_));
        PaintDragLabel(painter, x, text, width(), height() / 2.0 + metrics.ascent() / 2.0);
    }
}

void WaveformStrip::paintUnitTicks(QPainter& painter) const {
    if (ticks_.empty()) return;
    const UnitTickBand band = UnitBandOf(height());
    const QFontMetrics metrics = painter.fontMetrics();
    double labelEnd = -1e9;
    for (std::size_t i = 0; i < ticks_.size(); ++i) {
        if (dragging_ && static_cast<int>(i) == dragTick_) continue;
        const UnitTick& tick = ticks_[i];
        const bool lineEnd = tick.unit == kLineEndUnit;
        const double x = view_.xAt(tick.ms / 1000.0);
        PaintTick(painter, x, band, lineEnd, lineEnd ? kLineEndTick : kUnitTick);
        // As with the line numbers, a text that would run into the one before
        // is left out; its tick still shows.
        const double textX = x + kTickHandle / 2 + 1;
        if (tick.label.empty() || textX <= labelEnd) continue;
        const QString label = FromSjis(tick.label);
        painter.drawText(QPointF(textX, band.bottom - 1), label);
        labelEnd = textX + metrics.horizontalAdvance(label) + 1;
    }
    if (!dragging_ || dragTick_ < 0) return;
    const UnitTick& tick = ticks_[static_cast<std::size_t>(dragTick_)];
    const bool lineEnd = tick.unit == kLineEndUnit;
    const double x = view_.xAt(dragMs_ / 1000.0);
    PaintTick(painter, x, band, lineEnd, kDragged);
    const QString name = lineEnd ? QStringLiteral("行末") : FromSjis(tick.label);
    const QString text =
        name + QStringLiteral("  ") + QString::fromStdString(FormatTimeText(dragMs_));
    PaintDragLabel(painter, x, text, width(), band.top - 3);
}

}  // namespace obrin
