#pragma once

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "text/reading_source.h"

namespace obrin::test {

// Suggestions from a fixed table instead of a dictionary: each base of the
// table found in the lines, in the order first met.
class TableReadings final : public ReadingSource {
  public:
    explicit TableReadings(RubyTable table) : table_(std::move(table)) {}

    RubyTable suggest(const std::vector<std::string>& lines,
                      const RubyTable& known) const override {
        std::unordered_set<std::string> done;
        for (const RubyReading& reading : known) done.insert(reading.base);
        std::vector<std::pair<std::size_t, const RubyReading*>> found;
        for (std::size_t l = 0; l < lines.size(); ++l)
            for (const RubyReading& reading : table_) {
                const std::size_t at = lines[l].find(reading.base);
                if (at != std::string::npos && done.insert(reading.base).second)
                    found.emplace_back(l * 1'000'000 + at, &reading);
            }
        std::sort(found.begin(), found.end());
        RubyTable suggested;
        for (const auto& [place, reading] : found) suggested.push_back(*reading);
        return suggested;
    }

  private:
    RubyTable table_;
};

}  // namespace obrin::test
