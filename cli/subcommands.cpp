#include "cli_command.h"

namespace obrin::cli {

std::span<const Subcommand> Subcommands() {
    static const Subcommand kAll[] = {
        {"expand", "expand plain lyrics as the auto-expanding paste does", kExpandUsage, RunExpand},
        {"lrc", "read a time-tagged lyrics file and print its completed text", kLrcUsage, RunLrc},
        {"paste", "paste plain lyrics with expansion and print the completed text", kPasteUsage,
         RunPaste},
        {"obt", "save or combine a tag-information file (.obt)", kObtUsage, RunObt},
        {"std-lrc", "write a lyrics file as standard LRC for other players", kStdLrcUsage,
         RunStdLrc},
        {"tag", "write lyrics into a song's own tags, or read them (--read)", kTagUsage, RunTag},
        {"ass", "write an ASS karaoke script with a wipe per timing unit", kAssUsage, RunAss},
        {"karaoke", "print each line's timing units (split), or draft their times (spread)",
         kKaraokeUsage, RunKaraoke},
        {"ruby", "suggest readings for the kanji that have none (MeCab)", kRubyUsage, RunRuby},
        {"decode", "convert a music file to a PCM WAV file through its input plug-in", kDecodeUsage,
         RunDecode},
        {"snc", "save time-tagged lyrics as an SP250 lyrics file (.snc)", kSncUsage, RunSnc},
        {"mp3", "write a lyric MP3: an MP3 file with the timed lyrics in a tag", kMp3Usage, RunMp3},
        {"batch", "make a lyric MP3 of every song of a folder that has lyrics", kBatchUsage,
         RunBatch},
        {"draft", "propose line times from the song's voice, timed lines kept", kDraftUsage,
         RunDraft},
    };
    return kAll;
}

}  // namespace obrin::cli
