// The comma text and the tag-information (.obt) file: parsed, then combined
// with plain lyrics as the combine command does. The input is the .obt file;
// the plain lyrics are its own bytes after a NUL, if any.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/conversion_error.h"
#include "document/document.h"
#include "text/comma_text.h"
#include "text/lyrics_expansion.h"
#include "text/tag_info_file.h"
#include "text/text_lines.h"

namespace {

class Host final : public obrin::CombineHost {
  public:
    Host(obrin::Document& document, std::string_view plain) : document_(document), plain_(plain) {}
    void offerPaste(const obrin::ExpansionOptions& options) override {
        obrin::PasteWithExpansion(document_, obrin::CutLines(plain_), options);
    }
    bool acceptMismatch(int index) override { return index % 2 == 0; }
    void showError(const std::string&) override {}

  private:
    obrin::Document& document_;
    std::string_view plain_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.find('\0');
    const std::string_view obt = bytes.substr(0, nul);
    const std::string_view plain = nul == std::string_view::npos ? "" : bytes.substr(nul + 1);

    (void)obrin::WriteCommaText(obrin::ReadCommaText(obt));
    const obrin::TagInfo info = obrin::ParseTagInfo(obt);
    obrin::Document document;
    Host host(document, plain);
    (void)obrin::CombineTagInfo(document, info, obrin::ExpansionOptions{}, host);
    try {
        (void)obrin::FormatTagInfoFile(document, obrin::ExpansionOptions{});
    } catch (const obrin::ConversionError&) {
        // A restored time of 100 minutes or more cannot be written back; both
        // callers report this message.
    }
    return 0;
}
