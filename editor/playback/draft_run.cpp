#include "playback/draft_run.h"

#include <exception>
#include <utility>

#include "document/document.h"
#include "playback/wav_reader.h"
#include "text/ruby_suggestions.h"

namespace obrin {

DraftProposal ProposalOf(const DraftResult& result) {
    DraftProposal proposal{.problems = result.problems};
    proposal.drafts.resize(result.startCs.size());
    for (std::size_t i = 0; i < result.startCs.size(); ++i) {
        if (!result.startCs[i]) continue;
        proposal.drafts[i].start = *result.startCs[i];
        if (i < result.endCs.size() && result.endCs[i]) proposal.drafts[i].end = *result.endCs[i];
    }
    return proposal;
}

DraftRun::DraftRun(Post post) : post_(std::move(post)), self_(std::make_shared<DraftRun*>(this)) {}

DraftRun::~DraftRun() {
    worker_ = {};
}

void DraftRun::stop() {
    // Assigning an empty thread asks the old one to stop and joins it.
    worker_ = {};
    ++run_;
    running_ = false;
}

void DraftRun::deliver(unsigned run, std::function<void(DraftRun&)> apply) {
    post_([weak = std::weak_ptr(self_), run, apply = std::move(apply)] {
        const auto self = weak.lock();
        if (!self || (*self)->run_ != run) return;
        apply(**self);
    });
}

void DraftRun::start(const std::filesystem::path& wav, std::vector<LyricLine> lines, RubyTable ruby,
                     Progress progress, Done done) {
    stop();
    running_ = true;
    worker_ = std::jthread([this, wav, lines = std::move(lines), ruby = std::move(ruby),
                            progress = std::move(progress), done = std::move(done),
                            run = run_](std::stop_token stop) mutable {
        DraftProposal proposal;
        try {
            // The draft reads a document; this one is the worker's own.
            Document copy;
            copy.lyrics.assignLines(std::move(lines));
            copy.setRuby(std::move(ruby));
            const std::unique_ptr<RubySuggester> readings = RubySuggester::open();
            WavReader reader(wav);
            int shown = -1;
            const DraftResult result =
                DraftTimingOfWav(reader, DraftLinesOf(copy, readings.get()), [&](int percent) {
                    if (percent != shown) {
                        shown = percent;
                        deliver(run, [progress, percent](DraftRun&) { progress(percent); });
                    }
                    return !stop.stop_requested();
                });
            if (result.stopped) return;
            proposal = ProposalOf(result);
        } catch (const std::exception& error) {
            proposal.problems = {error.what()};
        }
        deliver(run,
                [done, p = std::make_shared<DraftProposal>(std::move(proposal))](DraftRun& self) {
                    self.running_ = false;
                    done(std::move(*p));
                });
    });
}

}  // namespace obrin
