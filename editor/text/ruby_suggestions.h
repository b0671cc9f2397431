#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "text/reading_source.h"

namespace obrin {

// Readings for kanji from MeCab's dictionary, in hiragana: suggestions the
// user confirms or overrides. A base that already has a reading in the
// document gets no suggestion, so an override always wins.
class RubySuggester final : public ReadingSource {
  public:
    // Loads the dictionary through MeCab's own settings; `mecabArguments`
    // are MeCab's options ("-d FOLDER" names a dictionary). Null when no
    // dictionary loads: suggestions are then simply absent.
    [[nodiscard]] static std::unique_ptr<RubySuggester> open(
        const std::string& mecabArguments = {});
    ~RubySuggester();
    RubySuggester(const RubySuggester&) = delete;
    RubySuggester& operator=(const RubySuggester&) = delete;

    [[nodiscard]] RubyTable suggest(const std::vector<std::string>& lines,
                                    const RubyTable& known) const override;

  private:
    struct Tagger;
    explicit RubySuggester(std::unique_ptr<Tagger> tagger);
    std::unique_ptr<Tagger> tagger_;
};

// MeCab's dictionary for the ruby dialog, loaded the first time it is asked
// for (a second or so), and kept; null each time when none loads.
[[nodiscard]] std::function<const ReadingSource*()> DictionaryReadingsOnDemand();

}  // namespace obrin
