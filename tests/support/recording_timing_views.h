#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/confirm_views.h"
#include "document/lyric_list.h"
#include "base/player_panel_view.h"
#include "playback/wait_view.h"

namespace obrin::test {

// Keeps the last value of every display of the player panel.
class RecordingPanelView final : public PlayerPanelView {
  public:
    std::string currentPosText;
    std::string totalPosText;
    std::string seekPosText;
    int positionMaximum = 100;
    int position = 0;
    std::string playCaption;
    std::string pitchLabel;

    void setCurrentPosText(const std::string& text) override { currentPosText = text; }
    void setTotalPosText(const std::string& text) override { totalPosText = text; }
    void setSeekPosText(const std::string& text) override { seekPosText = text; }
    void setPositionMaximum(int maximumMs) override { positionMaximum = maximumMs; }
    void setPosition(int ms) override { position = ms; }
    void setPlayCaption(const std::string& caption) override { playCaption = caption; }
    void setPitchLabel(const std::string& text) override { pitchLabel = text; }
};

class RecordingWaitView final : public WaitView {
  public:
    bool shown = false;
    std::string waitText;
    int gaugeMaximum = 100;
    int gaugeProgress = 0;
    std::string gaugeText;
    std::string mainCaption;
    int eventRuns = 0;
    // Run while events are let through, as a press of the force-quit button.
    std::function<void()> duringEvents;

    void showWait() override {
        shown = true;
        waitText = "しばらくお待ちください";
    }
    void closeWait() override { shown = false; }
    void setWaitText(const std::string& text) override { waitText = text; }
    void setGauge(int maximum, int progress, const std::string& text) override {
        gaugeMaximum = maximum;
        gaugeProgress = progress;
        gaugeText = text;
    }
    void setMainCaption(const std::string& caption) override { mainCaption = caption; }
    void processPendingEvents() override {
        ++eventRuns;
        if (duringEvents) duringEvents();
    }
};

// The confirm dialog's panel as the user would see it, and whether the
// dialog is up.
class RecordingConfirmDialog final : public ConfirmDialogView {
  public:
    struct Panel {
        std::string text;  // UTF-8 text, or the lyric's bytes
        PanelColour colour;
        friend bool operator==(const Panel&, const Panel&) = default;
    };

    bool shown = false;
    int showCount = 0;
    Panel panel;

    void showDialog() override {
        shown = true;
        ++showCount;
    }
    void hideDialog() override { shown = false; }
    void setPanelText(const std::string& utf8) override { panel.text = utf8; }
    void setPanelLyric(const std::string& sjis) override { panel.text = sjis; }
    void setPanelColour(PanelColour colour) override { panel.colour = colour; }
};

class RecordingWindow final : public ConfirmWindowView {
  public:
    bool mainWindowEnabled = true;
    bool editingEnabled = true;
    void setMainWindowEnabled(bool enabled) override { mainWindowEnabled = enabled; }
    void setEditingEnabled(bool enabled) override { editingEnabled = enabled; }
};

// What a display of the list was asked to show: rows scrolled into view
// and rows opened for editing.
class RecordingListRequests {
  public:
    explicit RecordingListRequests(LyricList& lyrics)
        : shown_(lyrics.showRequested.connect([this](int line) { madeVisible.push_back(line); })),
          edits_(lyrics.editRequested.connect([this](int line) { edited.push_back(line); })) {}

    std::vector<int> madeVisible;
    std::vector<int> edited;

  private:
    Connection shown_;
    Connection edits_;
};

}  // namespace obrin::test
