#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/timing_units.h"

namespace obrin {

// Readings for kanji from MeCab's dictionary, in hiragana: suggestions the
// user confirms or overrides. A base that already has a reading in the
// document gets no suggestion, so an override always wins.
class RubySuggester {
  public:
    // Loads the dictionary through MeCab's own settings; `mecabArguments`
    // are MeCab's options ("-d FOLDER" names a dictionary). Null when no
    // dictionary loads: suggestions are then simply absent.
    [[nodiscard]] static std::unique_ptr<RubySuggester> open(
        const std::string& mecabArguments = {});
    ~RubySuggester();
    RubySuggester(const RubySuggester&) = delete;
    RubySuggester& operator=(const RubySuggester&) = delete;

    // One reading per base (a word's kanji, without the kana it is written
    // with) met in the lines, in the order first met, for the bases that
    // `known` has no reading for. Lines and readings are Shift-JIS.
    [[nodiscard]] RubyTable suggest(const std::vector<std::string>& lines,
                                    const RubyTable& known) const;

  private:
    struct Tagger;
    explicit RubySuggester(std::unique_ptr<Tagger> tagger);
    std::unique_ptr<Tagger> tagger_;
};

}  // namespace obrin
