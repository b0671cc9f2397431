#include "shell/qt/draft_commands.h"

#include <QMetaObject>
#include <algorithm>
#include <optional>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/playback_control.h"
#include "base/qt/centre_on.h"
#include "document/line_drafts.h"
#include "playback/qt/draft_dialog.h"
#include "shell/editor.h"
#include "shell/qt/main_window.h"

namespace obrin {

DraftCommands::DraftCommands(MainWindow& window, Editor& editor, PlaybackControl& playback,
                             CommandTable& commands)
    : QObject(&window),
      window_(window),
      editor_(editor),
      playback_(playback),
      run_([this](std::function<void()> task) {
          QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
      }) {
    Document& document = editor_.document();
    commands.add({.id = command::kDraftTiming,
                  .caption = "タイミングの下書き(&D)...",
                  .run = [this] { draft(); }});
    const auto hasDraft = [&document] { return HasDraft(document.lyrics); };
    commands.add({.id = command::kAcceptSelectedDrafts,
                  .caption = "下書きを確定（選択行）(&A)",
                  .enabled = hasDraft,
                  .run = [&document] { AcceptDrafts(document, document.lyrics.selectedLines()); }});
    commands.add({.id = command::kAcceptAllDrafts,
                  .caption = "下書きを確定（すべて）(&L)",
                  .enabled = hasDraft,
                  .run = [&document] { AcceptAllDrafts(document); }});
}

DraftCommands::~DraftCommands() {
    run_.stop();
}

void DraftCommands::draft() {
    Dialogs& dialogs = editor_.dialogs();
    if (!playback_.isLoaded()) {
        dialogs.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    const LyricList& lyrics = editor_.document().lyrics;
    if (lyrics.count() == 0) {
        dialogs.showError(kNoLyricsMessage);
        return;
    }
    if (std::ranges::all_of(lyrics.lines(), HasRealTime)) {
        dialogs.showError(kAllTimedMessage);
        return;
    }
    DraftDialog form(&window_);
    CentreOn(&form, &window_);
    dialog_ = &form;
    std::optional<DraftProposal> proposal;
    run_.start(
        editor_.player().fileName(), lyrics.lines(), editor_.document().ruby(),
        [&form](int percent) { form.setPercent(percent); },
        [&form, &proposal](DraftProposal done) {
            proposal = std::move(done);
            form.accept();
        });
    form.exec();
    dialog_ = nullptr;
    // 中止, or the dialog closed: what the worker finds later never arrives.
    run_.stop();
    if (proposal) finish(std::move(*proposal));
}

void DraftCommands::finish(DraftProposal proposal) {
    std::string message;
    for (const std::string& problem : proposal.problems) message += "\n" + problem;
    const LyricList& lyrics = editor_.document().lyrics;
    bool any = false;
    for (std::size_t i = 0; i < proposal.drafts.size() && i < lyrics.lines().size(); ++i)
        any = any || (!proposal.drafts[i].empty() && !HasRealTime(lyrics.lines()[i]));
    // Earlier drafts stay when this one has nothing better.
    if (!any) {
        editor_.dialogs().showError(kNothingPlacedMessage + message);
        return;
    }
    const int placed = SetDrafts(editor_.document(), proposal.drafts);
    editor_.dialogs().showInformation(std::to_string(placed) +
                                      "行に下書きの時間を付けました（灰色の時間）。"
                                      "マークするか、波形の印を動かすか、"
                                      "「下書きを確定」で確定します。" +
                                      message);
}

}  // namespace obrin
