#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace obrin {

// One conversion through the system's iconv tables, from one encoding to
// another, for converters that decide themselves what to do at a byte
// sequence the table lacks.
class IconvConverter {
  public:
    // Throws std::system_error when the system has no table for the pair.
    IconvConverter(const char* to, const char* from);
    ~IconvConverter();
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Converts from the front of `in` into `out` from `used` on, growing
    // `out` when it fills; on return `in` has advanced past what was
    // converted and `used` counts the bytes of `out` written so far.
    // Returns 0 when all of `in` was converted, else the errno that stopped
    // it at the front of `in`: EILSEQ for a sequence the table lacks, EINVAL
    // for one cut off by the end of `in`. The conversion then starts afresh.
    int convert(std::string_view& in, std::string& out, std::size_t& used);

  private:
    void* cd_;
};

}  // namespace obrin
