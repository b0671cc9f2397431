#pragma once

namespace obrin {

// The stretch of the song the waveform strip shows: where it starts and how
// many seconds one pixel column holds. At first, and whenever the user zooms
// all the way out, the whole song fits the width (the overview); zooming in
// goes down to one peak block per pixel. Pure geometry, no toolkit.
class WaveformViewport {
  public:
    // How much one wheel notch zooms.
    static constexpr double kZoomPerNotch = 1.25;
    // While following playback the view moves on once the play head passes
    // this share of the width, and puts it back at kFollowLead.
    static constexpr double kFollowEdge = 0.9;
    static constexpr double kFollowLead = 0.1;

    // A new song (0 for none), shown whole. `finestSecondsPerPixel` is the
    // closest zoom: one block of the peaks.
    void setSong(double durationSeconds, double finestSecondsPerPixel);
    // The strip's width changed; the overview stays the overview.
    void setWidth(int pixels);

    double durationSeconds() const { return duration_; }
    int width() const { return width_; }
    double startSeconds() const { return start_; }
    double secondsPerPixel() const { return perPixel_; }
    double spanSeconds() const { return perPixel_ * width_; }
    bool isOverview() const { return overview_; }

    double timeAt(double x) const { return start_ + x * perPixel_; }
    double xAt(double seconds) const { return (seconds - start_) / perPixel_; }

    // Zooms in (positive notches) or out, keeping the time under x where it
    // is, within the closest zoom and the overview.
    void zoomAt(double x, double notches);
    // Moves the view by a number of pixels (positive: later in the song).
    void scrollBy(double pixels);
    // Keeps the play head in view while it plays: when it has left the view
    // or passed kFollowEdge of it, the view moves so that the head stands at
    // kFollowLead.
    void follow(double headSeconds);

  private:
    double overviewPerPixel() const;
    void clampStart();

    double duration_ = 0.0;
    double finest_ = 0.005;
    int width_ = 1;
    double start_ = 0.0;
    double perPixel_ = 0.005;
    bool overview_ = true;
};

}  // namespace obrin
