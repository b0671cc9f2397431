#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/signal.h"
#include "playback/line_markers.h"
#include "playback/unit_markers.h"
#include "playback/waveform_viewport.h"

namespace obrin {

class Document;
class LyricList;
class PeakPyramid;

// The waveform strip `pnlWaveform` under the player panel: the song's peaks
// (both channels mixed), the onsets found in the voice's band as ticks along
// the bottom, every timed line as a marker with its line number (a draft's
// proposal dashed, in a colour of its own), and the play head. It paints what it is given and reports what the user does: a click
// asks for a seek, dragging a line's marker asks for that line's new time
// once the button is released (the time shows beside the marker while it
// moves), the wheel zooms around the mouse and Shift+wheel scrolls. The view
// follows the play head whenever it moves out of sight.
//
// Under the current line's marker stand the ticks of its timed karaoke units
// with their text, and its end; dragging one asks for that unit's (or the
// end's) new time, held between its neighbours while it moves.
class WaveformStrip : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 72;
    // How near to a marker, in pixels, a press takes hold of it.
    static constexpr int kGrabDistance = 4;
    // How often the play head is looked at while a song is loaded.
    static constexpr int kHeadIntervalMs = 33;

    // Reads the lines and readings and listens to their changes; never
    // changes them.
    WaveformStrip(Document& document, QWidget* parent = nullptr);

    // A song of this length was loaded (0: none); the view shows it whole.
    // `finestSecondsPerPixel` is the closest zoom.
    void setSong(double durationSeconds, double finestSecondsPerPixel);
    // What is known of the song so far; both may be null. They must stay
    // valid until replaced.
    void setAnalysis(const PeakPyramid* peaks, const std::vector<std::int32_t>* onsetsMs);
    // A line of text instead of the peaks (while they are made, or why they
    // cannot be); empty for none.
    void setNote(const QString& note);
    // Where the listener is, in seconds; read on every look at the play head.
    void setHeadSource(std::function<double()> head) { head_ = std::move(head); }

    // Reads the head source and, when the head moved, moves the view after
    // it and repaints. The strip's own timer calls it while a song is loaded.
    void lookAtHead();

    const WaveformViewport& viewport() const { return view_; }
    // The line whose marker is being dragged, or -1.
    int draggedLine() const { return dragging_ ? dragLine_ : -1; }

  signals:
    void seekRequested(double seconds);
    void lineRetimed(int line, std::int32_t ms);
    // A unit's tick was dropped; unit kLineEndUnit is the line's end.
    void unitRetimed(int line, int unit, int centis);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void markersChanged();
    std::int32_t msAt(double x) const;
    void paintPeaks(QPainter& painter) const;
    void paintOnsets(QPainter& painter) const;
    void paintMarkers(QPainter& painter) const;
    void unitsChanged();
    void paintUnitTicks(QPainter& painter) const;

    Document& document_;
    LyricList& lyrics_;
    std::vector<Connection> lyricsConnections_;
    std::vector<LineMarker> markers_;
    WaveformViewport view_;
    const PeakPyramid* peaks_ = nullptr;
    const std::vector<std::int32_t>* onsets_ = nullptr;
    QString note_;
    std::function<double()> head_;
    double headSeconds_ = 0.0;
    QTimer headTimer_;
    int current_ = -1;
    // The current line's ticks; a change of its lines or of the current line
    // makes them anew.
    std::vector<UnitTick> ticks_;

    // A press, and whether it has become a marker's or a tick's drag.
    bool pressed_ = false;
    double pressX_ = 0.0;
    int dragLine_ = -1;
    int dragTick_ = -1;
    bool dragging_ = false;
    std::int32_t dragMs_ = 0;
};

}  // namespace obrin
