#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "playback/timing_draft.h"
#include "playback/wav_reader.h"
#include "text/lyrics_expansion.h"
#include "text/text_input.h"
#include "text/text_lines.h"

// A song of the draft measurement set (scripts/make-draft-set.sh) drafted as
// the editor drafts it, and how far each proposed line start lies from the
// one the generator wrote down.
namespace obrin::test {

// A row of NAME.truth: where the generator put a line's voice, in seconds.
struct TrueLine {
    double start = 0.0;
    double end = 0.0;
};

inline std::vector<TrueLine> ReadTruth(const std::filesystem::path& truth) {
    std::ifstream in(truth);
    if (!in) throw std::runtime_error("cannot read " + truth.string());
    std::vector<TrueLine> lines;
    std::string row;
    while (std::getline(in, row)) {
        if (row.empty() || row[0] == '#') continue;
        std::istringstream fields(row);
        TrueLine line;
        if (!(fields >> line.start >> line.end) || line.end < line.start)
            throw std::runtime_error(truth.string() + ": not a start and an end: " + row);
        lines.push_back(line);
    }
    return lines;
}

// The true line starts, in the order of the lyrics.
inline std::vector<double> ReadTrueStarts(const std::filesystem::path& truth) {
    std::vector<double> starts;
    for (const TrueLine& line : ReadTruth(truth)) starts.push_back(line.start);
    return starts;
}

// How far the draft's start of each line lies from the true one, in seconds;
// a line the draft left untimed counts as infinitely far.
struct SongErrors {
    std::vector<double> errors;
    int unplaced = 0;
    // For the placed lines: the true start and how late the draft put it
    // (negative: early), to show an error that grows along the song.
    std::vector<std::pair<double, double>> lateness;
};

inline SongErrors CompareStarts(const DraftResult& draft, const std::vector<double>& trueStarts) {
    if (draft.startCs.size() != trueStarts.size())
        throw std::runtime_error("the draft has " + std::to_string(draft.startCs.size()) +
                                 " lines, the truth " + std::to_string(trueStarts.size()));
    SongErrors result;
    for (std::size_t i = 0; i < trueStarts.size(); ++i) {
        if (!draft.startCs[i]) {
            ++result.unplaced;
            result.errors.push_back(std::numeric_limits<double>::infinity());
            continue;
        }
        const double late = *draft.startCs[i] / 100.0 - trueStarts[i];
        result.errors.push_back(std::abs(late));
        result.lateness.emplace_back(trueStarts[i], late);
    }
    return result;
}

// The value below which the share `q` (0..1) of `values` lies: the nearest
// rank, so that an untimed line's infinity shows once it is that common.
inline double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

inline double ShareWithin(const std::vector<double>& errors, double limit) {
    if (errors.empty()) return 0.0;
    const auto within =
        std::count_if(errors.begin(), errors.end(), [&](double e) { return e <= limit; });
    return static_cast<double>(within) / static_cast<double>(errors.size());
}

// How much later the draft puts a line per minute further into the song:
// the least-squares slope of the lateness over the true start, in seconds a
// minute. A draft whose clock runs at the wrong rate shows here.
inline double DriftPerMinute(const std::vector<std::pair<double, double>>& lateness) {
    const auto n = static_cast<double>(lateness.size());
    double st = 0.0, sl = 0.0, stt = 0.0, stl = 0.0;
    for (const auto& [t, late] : lateness) {
        st += t;
        sl += late;
        stt += t * t;
        stl += t * late;
    }
    const double spread = n * stt - st * st;
    if (lateness.size() < 2 || spread <= 0.0) return 0.0;
    return (n * stl - st * sl) / spread * 60.0;
}

// The lyrics of NAME.txt as the draft's lines: one untimed row per line, as
// the generator wrote them (no expansion, so row i is truth row i).
inline std::vector<DraftLine> DraftLinesOfLyrics(const std::filesystem::path& lyrics,
                                                 const RubySuggester* readings) {
    const TextRead read = ReadTextInput(lyrics, TextEncoding::ShiftJis,
                                        [](const std::vector<char32_t>&) { return false; });
    if (read.status != TextReadStatus::Read)
        throw std::runtime_error("cannot read " + lyrics.string() + ": " + read.message);
    Document document;
    FillLyricList(document.lyrics, CutLines(read.sjis));
    return DraftLinesOf(document, readings);
}

// Drafts NAME.wav of `folder` with the lyrics NAME.txt and compares the
// starts with NAME.truth.
inline SongErrors DraftSetSong(const std::filesystem::path& folder, const std::string& name,
                               DraftMethod method, const RubySuggester* readings) {
    const std::vector<DraftLine> lines = DraftLinesOfLyrics(folder / (name + ".txt"), readings);
    WavReader reader(folder / (name + ".wav"));
    const DraftResult draft = DraftTimingOfWav(reader, lines, {}, method);
    return CompareStarts(draft, ReadTrueStarts(folder / (name + ".truth")));
}

}  // namespace obrin::test
