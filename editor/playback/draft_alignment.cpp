#include "playback/draft_alignment.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace obrin {

namespace {

// The weights of the cost a placement pays. A pace off by a factor e costs
// as much as passing over one sure phrase start; leaving a line unplaced
// costs more than either, so a line is left out only when the audio has no
// start for it.
constexpr double kPaceWeight = 1.0;
constexpr double kSkipWeight = 1.0;
// Before the first line (an intro) and after the last (an outro) starts the
// lyrics do not sing are common.
constexpr double kIntroSkipWeight = 0.25;
constexpr double kOutroSkipWeight = 0.25;
constexpr double kOutroPaceWeight = 0.5;
constexpr double kUnplacedCost = 2.5;
constexpr double kUnsungWeight = 1.0;
// Voiced time below this is noise to the pace: it keeps short lines from
// dominating the cost.
constexpr double kPaceFloorCs = 25.0;
// At most this many lines in a row unplaced between two placed ones, and at
// most this many candidates passed over from one line to the next: bounds
// that keep the work linear in the song's length.
constexpr std::size_t kLongestUnplacedRun = 4;
constexpr std::size_t kWidestStep = 64;
// A step whose voice lasts this many times what its lines hold costs more
// than leaving a line out (its pace alone costs ln 6 squared, 3.2).
constexpr double kLongestSpan = 6.0;
// Paces tried around the track's own, as factors.
constexpr double kPaceFactors[] = {0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.25, 1.4, 1.6};

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A fixed point a segment of free lines hangs from: an anchored line, or
// nothing at the song's start and end.
struct Fixed {
    int cs = 0;
    double voiced = 0.0;
    int morae = 0;  // of the anchored line, for the step to the next start
};

struct Segment {
    // The free lines, by index into the caller's lines.
    std::vector<std::size_t> lines{};
    // The candidates strictly between the two fixed points.
    std::size_t firstCandidate = 0;
    std::size_t endCandidate = 0;
    std::optional<Fixed> before{};
    std::optional<Fixed> after{};
};

class SegmentAligner {
  public:
    SegmentAligner(const PhraseTrack& track, const std::vector<DraftLine>& lines,
                   const Segment& segment, double pace)
        : track_(track), lines_(lines), segment_(segment), pace_(pace) {
        const auto& c = track.candidates;
        skipSum_.assign(c.size() + 1, 0.0);
        for (std::size_t i = 0; i < c.size(); ++i) skipSum_[i + 1] = skipSum_[i] + c[i].strength;
        moraeSum_.assign(segment.lines.size() + 1, 0);
        for (std::size_t k = 0; k < segment.lines.size(); ++k)
            moraeSum_[k + 1] = moraeSum_[k] + std::max(0, lines[segment.lines[k]].morae);
    }

    // The cost of the best placement and, per free line, its candidate.
    // Nothing once `keepGoing` returns false.
    std::optional<double> solve(std::vector<std::optional<std::size_t>>& placed,
                                const std::function<bool()>& keepGoing) const;

  private:
    double paceCost(double voiced, int morae) const {
        if (morae <= 0) return 0.0;
        const double ratio =
            (std::max(voiced, 0.0) + kPaceFloorCs) / (morae * pace_ + kPaceFloorCs);
        const double l = std::log(ratio);
        return kPaceWeight * l * l;
    }
    double skipped(std::size_t from, std::size_t to) const {
        return to > from ? skipSum_[to] - skipSum_[from] : 0.0;
    }
    int morae(std::size_t from, std::size_t to) const { return moraeSum_[to] - moraeSum_[from]; }
    // Voice before the first line or after the last one's own time: each
    // average line's worth of it costs as much as a sure start passed over.
    double unsung(double voicedCs) const {
        const std::size_t count = segment_.lines.size();
        if (count == 0 || voicedCs <= 0.0) return 0.0;
        const double lineCs = pace_ * morae(0, count) / static_cast<double>(count);
        return kUnsungWeight * voicedCs / std::max(lineCs, 1.0);
    }
    double voiced(std::size_t candidate) const { return track_.candidates[candidate].voicedCs; }
    // From a fixed point, or the song's start, to line k at candidate j with
    // the lines before k unplaced.
    double enter(std::size_t k, std::size_t j) const;
    // From line k at candidate j to the next fixed point, or the song's end,
    // with the lines after k unplaced.
    double leave(std::size_t k, std::size_t j) const;
    double nothingPlaced() const;

    const PhraseTrack& track_;
    const std::vector<DraftLine>& lines_;
    const Segment& segment_;
    double pace_;
    std::vector<double> skipSum_;
    std::vector<int> moraeSum_;
};

double SegmentAligner::enter(std::size_t k, std::size_t j) const {
    const double unplaced = kUnplacedCost * static_cast<double>(k);
    if (const auto& b = segment_.before) {
        return unplaced + paceCost(voiced(j) - b->voiced, b->morae + morae(0, k)) +
               kSkipWeight * skipped(segment_.firstCandidate, j);
    }
    return unplaced + kIntroSkipWeight * skipped(segment_.firstCandidate, j) + unsung(voiced(j));
}

double SegmentAligner::leave(std::size_t k, std::size_t j) const {
    const std::size_t count = segment_.lines.size();
    const double unplaced = kUnplacedCost * static_cast<double>(count - k - 1);
    const int rest = morae(k, count);
    if (const auto& a = segment_.after) {
        return unplaced + paceCost(a->voiced - voiced(j), rest) +
               kSkipWeight * skipped(j + 1, segment_.endCandidate);
    }
    // The last line's own voice ends somewhere before the song does; the
    // starts after it belong to an outro.
    const double sung = static_cast<double>(track_.voicedTotalCs) - voiced(j);
    return unplaced + kOutroPaceWeight * paceCost(sung, rest) +
           kOutroSkipWeight * skipped(j + 1, segment_.endCandidate) + unsung(sung - rest * pace_);
}

double SegmentAligner::nothingPlaced() const {
    const std::size_t count = segment_.lines.size();
    double cost = kUnplacedCost * static_cast<double>(count);
    const double from = segment_.before ? segment_.before->voiced : 0.0;
    const double to = segment_.after ? segment_.after->voiced : track_.voicedTotalCs;
    const int before = segment_.before ? segment_.before->morae : 0;
    if (segment_.before || segment_.after) cost += paceCost(to - from, before + morae(0, count));
    const double weight = segment_.before && segment_.after ? kSkipWeight : kIntroSkipWeight;
    return cost + weight * skipped(segment_.firstCandidate, segment_.endCandidate);
}

std::optional<double> SegmentAligner::solve(std::vector<std::optional<std::size_t>>& placed,
                                            const std::function<bool()>& keepGoing) const {
    const std::size_t count = segment_.lines.size();
    const std::size_t first = segment_.firstCandidate;
    const std::size_t m = segment_.endCandidate - first;
    placed.assign(count, std::nullopt);
    double bestCost = nothingPlaced();
    if (count == 0 || m == 0) return bestCost;

    // cost[k][j]: the best way to have line k at candidate first + j.
    std::vector<double> cost(count * m, kInfinity);
    std::vector<std::size_t> from(count * m, SIZE_MAX);
    for (std::size_t k = 0; k < count; ++k) {
        if (keepGoing && !keepGoing()) return std::nullopt;
        for (std::size_t j = 0; j < m; ++j) {
            double best = enter(k, first + j);
            std::size_t bestFrom = SIZE_MAX;
            const std::size_t lowestK = k > kLongestUnplacedRun ? k - kLongestUnplacedRun - 1 : 0;
            for (std::size_t pk = lowestK; pk < k; ++pk) {
                const double unplaced = kUnplacedCost * static_cast<double>(k - pk - 1);
                const int sung = morae(pk, k);
                const std::size_t lowestJ = j > kWidestStep ? j - kWidestStep : 0;
                // Nearer starts first: past a span of voice far longer than
                // the lines hold, an earlier start cannot fit them.
                const double longest = kLongestSpan * (sung * pace_ + kPaceFloorCs);
                for (std::size_t pj = j; pj-- > lowestJ;) {
                    const double span = voiced(first + j) - voiced(first + pj);
                    if (span > longest) break;
                    const double before = cost[pk * m + pj];
                    if (before == kInfinity) continue;
                    const double c = before + unplaced + paceCost(span, sung) +
                                     kSkipWeight * skipped(first + pj + 1, first + j);
                    if (c < best) {
                        best = c;
                        bestFrom = pk * m + pj;
                    }
                }
            }
            cost[k * m + j] = best;
            from[k * m + j] = bestFrom;
        }
    }
    std::size_t end = SIZE_MAX;
    for (std::size_t k = 0; k < count; ++k) {
        for (std::size_t j = 0; j < m; ++j) {
            if (cost[k * m + j] == kInfinity) continue;
            const double c = cost[k * m + j] + leave(k, first + j);
            if (c < bestCost) {
                bestCost = c;
                end = k * m + j;
            }
        }
    }
    for (std::size_t at = end; at != SIZE_MAX; at = from[at]) placed[at / m] = first + at % m;
    return bestCost;
}

// The voiced time at `cs`: a candidate's own where one lies there, else in
// proportion between the candidates around it.
double VoicedAt(const PhraseTrack& track, int cs) {
    const auto& c = track.candidates;
    const auto after = std::lower_bound(c.begin(), c.end(), cs,
                                        [](const PhraseCandidate& p, int t) { return p.cs < t; });
    if (after != c.end() && after->cs == cs) return after->voicedCs;
    if (after == c.begin()) return after == c.end() ? 0.0 : after->voicedCs;
    const PhraseCandidate& b = *(after - 1);
    if (after == c.end()) return b.voicedCs;
    const double share = static_cast<double>(cs - b.cs) / (after->cs - b.cs);
    return b.voicedCs + share * (after->voicedCs - b.voicedCs);
}

// The song's own pace: voiced centiseconds per mora over the free lines.
double TrackPace(const PhraseTrack& track, const std::vector<DraftLine>& lines) {
    long total = 0;
    for (const DraftLine& line : lines) total += std::max(0, line.morae);
    if (total == 0) return 1.0;
    return std::max(1.0, static_cast<double>(track.voicedTotalCs) / static_cast<double>(total));
}

std::vector<Segment> Segments(const PhraseTrack& track, const std::vector<DraftLine>& lines) {
    std::vector<Segment> segments(1);
    const auto& c = track.candidates;
    segments.back().endCandidate = c.size();
    int lastAnchor = std::numeric_limits<int>::min();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DraftLine& line = lines[i];
        // An anchor earlier than the one before it cannot hold the lines
        // between them in order; they are placed as if it were not there.
        if (!line.anchorCs || *line.anchorCs <= lastAnchor) {
            segments.back().lines.push_back(i);
            continue;
        }
        lastAnchor = *line.anchorCs;
        const Fixed fixed{.cs = *line.anchorCs,
                          .voiced = VoicedAt(track, *line.anchorCs),
                          .morae = std::max(0, line.morae)};
        const auto split = static_cast<std::size_t>(
            std::lower_bound(c.begin(), c.end(), fixed.cs,
                             [](const PhraseCandidate& p, int t) { return p.cs < t; }) -
            c.begin());
        segments.back().after = fixed;
        segments.back().endCandidate = std::max(segments.back().firstCandidate, split);
        Segment next;
        next.before = fixed;
        next.firstCandidate = split;
        while (next.firstCandidate < c.size() && c[next.firstCandidate].cs <= fixed.cs)
            ++next.firstCandidate;
        next.endCandidate = c.size();
        segments.push_back(next);
    }
    return segments;
}

}  // namespace

std::optional<std::vector<std::optional<int>>> AlignLinesToPhrases(
    const PhraseTrack& track, const std::vector<DraftLine>& lines,
    const std::function<bool()>& keepGoing) {
    std::vector<std::optional<int>> starts(lines.size());
    std::vector<Segment> segments = Segments(track, lines);
    std::vector<bool> anchored(lines.size(), true);
    for (const Segment& segment : segments)
        for (const std::size_t i : segment.lines) anchored[i] = false;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (anchored[i]) starts[i] = lines[i].anchorCs;

    const double trackPace = TrackPace(track, lines);
    for (const Segment& segment : segments) {
        double best = kInfinity;
        std::vector<std::optional<std::size_t>> bestPlaced;
        for (const double factor : kPaceFactors) {
            std::vector<std::optional<std::size_t>> placed;
            const std::optional<double> cost =
                SegmentAligner(track, lines, segment, trackPace * factor).solve(placed, keepGoing);
            if (!cost) return std::nullopt;
            if (*cost < best) {
                best = *cost;
                bestPlaced = std::move(placed);
            }
        }
        for (std::size_t k = 0; k < segment.lines.size(); ++k) {
            if (bestPlaced[k]) starts[segment.lines[k]] = track.candidates[*bestPlaced[k]].cs;
        }
    }
    return starts;
}

}  // namespace obrin
