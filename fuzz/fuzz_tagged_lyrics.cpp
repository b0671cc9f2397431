// The time-tagged lyrics reader (with its time tags) as the lyrics file
// command runs it, then the completed text built from what it read. The
// first byte picks the reader's and the text's options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/completed_text.h"
#include "text/tagged_lyrics_reader.h"
#include "text/time_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    (void)obrin::ParseTimeTag(bytes);

    obrin::ReaderOptions reader;
    reader.importInfo = (data[0] & 1) != 0;
    reader.editedBy = (data[0] & 2) != 0;
    reader.author = "\x8D\xEC\x8E\xD2";
    obrin::Document document;
    obrin::ReadTaggedLyricsText(document, bytes, reader);

    obrin::CompletedTextOptions text;
    text.songInfo = static_cast<obrin::SongInfoMode>((data[0] >> 2) & 3);
    text.taggingBy = (data[0] & 16) != 0;
    (void)obrin::BuildCompletedText(document, text);
    return 0;
}
