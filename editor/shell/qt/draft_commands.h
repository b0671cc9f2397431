#pragma once

#include <QObject>
#include <string>

#include "playback/draft_run.h"

namespace obrin {

class CommandTable;
class DraftDialog;
class Editor;
class MainWindow;
class PlaybackControl;

// 「タイミングの下書き」 and 「下書きを確定」 (the ツール menu, the list's
// context menu). The draft reads the song's temporary WAV on a DraftRun
// worker while a modal DraftDialog shows its progress; 中止 leaves the
// document as it was. The proposal becomes the untimed lines' drafts in one
// step of the history, and a message tells how many lines it placed and what
// it could not do.
class DraftCommands final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kNoLyricsMessage = "下書きする歌詞がありません";
    static constexpr const char* kAllTimedMessage =
        "すべての行に時間があります。下書きする行がありません";
    static constexpr const char* kNothingPlacedMessage = "タイミングの下書きが出来ません";

    DraftCommands(MainWindow& window, Editor& editor, PlaybackControl& playback,
                  CommandTable& commands);
    ~DraftCommands() override;

    // The dialog while a draft runs, else null.
    DraftDialog* dialog() const { return dialog_; }

  private:
    void draft();
    void finish(DraftProposal proposal);

    MainWindow& window_;
    Editor& editor_;
    PlaybackControl& playback_;
    DraftRun run_;
    DraftDialog* dialog_ = nullptr;
};

}  // namespace obrin
