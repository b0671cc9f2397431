#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/lyric_list.h"
#include "playback/timing_draft.h"

namespace obrin {

// What a draft proposes for a document: one draft per line (empty where the
// line stays as it is) and what it could not do, in sentences for the user.
struct DraftProposal {
    std::vector<LineDraft> drafts{};
    std::vector<std::string> problems{};
};

[[nodiscard]] DraftProposal ProposalOf(const DraftResult& result);

// Drafts the timing of a song's WAV on a worker thread of its own, as the
// waveform's analysis looks at it: the lines go in as a copy, with the
// document's readings (MeCab's suggestions fill in the kanji without one),
// and the progress and the proposal come back through `post`, which runs a
// function later on the user-interface thread. A stop drops the proposal,
// however far the worker got, so what the user stopped never arrives.
class DraftRun {
  public:
    using Post = std::function<void(std::function<void()>)>;
    // Told the share done, 0..100.
    using Progress = std::function<void(int)>;
    using Done = std::function<void(DraftProposal)>;

    explicit DraftRun(Post post);
    // Stops the worker and waits for it.
    ~DraftRun();
    DraftRun(const DraftRun&) = delete;
    DraftRun& operator=(const DraftRun&) = delete;

    // Stops any run before; `progress` and `done` run on the user-interface
    // thread. A WAV that cannot be read is a proposal without drafts whose
    // problem says why.
    void start(const std::filesystem::path& wav, std::vector<LyricLine> lines, RubyTable ruby,
               Progress progress, Done done);
    // Asks the worker to stop, waits for it and forgets what it posted.
    void stop();
    bool running() const { return running_; }

  private:
    void deliver(unsigned run, std::function<void(DraftRun&)> apply);

    Post post_;
    std::jthread worker_;
    unsigned run_ = 0;
    bool running_ = false;
    // Tells posted functions whether this object still exists.
    std::shared_ptr<DraftRun*> self_;
};

}  // namespace obrin
