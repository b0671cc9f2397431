// A lyrics file as the lyrics file command reads it: its encoding detected
// and decoded, the time-tagged reader (with the standard-LRC dialects and
// its time tags) run over it, then the completed text and the standard LRC
// built from what it read. The first byte picks the options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/completed_text.h"
#include "text/standard_lrc.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_input.h"
#include "text/time_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    (void)obrin::ParseTimeTag(bytes);
    const obrin::TextRead text = obrin::DecodeTextInput(
        bytes, obrin::TextEncoding::Auto, [](const std::vector<char32_t>&) { return true; });
    if (text.status != obrin::TextReadStatus::Read) return 0;

    obrin::ReaderOptions reader;
    reader.importInfo = (data[0] & 1) != 0;
    reader.editedBy = (data[0] & 2) != 0;
    reader.author = "\x8D\xEC\x8E\xD2";
    obrin::Document document;
    (void)obrin::ReadTaggedLyricsText(document, text.sjis, reader);

    obrin::CompletedTextOptions completed;
    completed.songInfo = static_cast<obrin::SongInfoMode>((data[0] >> 2) & 3);
    completed.taggingBy = (data[0] & 16) != 0;
    (void)obrin::BuildCompletedText(document, completed);
    (void)obrin::FormatStandardLrc(document, obrin::StandardLrcOptions{}, "by");
    return 0;
}
