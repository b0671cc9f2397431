// Opening a music file through the real plug-in call and vellin; the window,
// the dialogs and the pieces owned by playback and lyrics are recorded.
#include "playback/music_file_opener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "logging_dialogs.h"
#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

const std::filesystem::path kFixtures = OBRIN_WAVE_FIXTURES;
const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;

using Log = std::vector<std::string>;

class RecordingView final : public MusicOpenView {
  public:
    explicit RecordingView(Log& log) : log_(log) {}
    bool enabled = true;
    bool busy = false;
    bool waitShown = false;
    std::string caption;

    void setMainCaption(const std::string& text) override {
        caption = text;
        log_.push_back("caption " + text);
    }
    void setMainEnabled(bool on) override {
        enabled = on;
        log_.push_back(on ? "enable" : "disable");
    }
    void setBusyCursor(bool on) override {
        busy = on;
        log_.push_back(on ? "busy" : "normal cursor");
    }
    void bringMainToFront() override {
        enabled = true;
        log_.push_back("front");
    }
    void showWait() override {
        waitShown = true;
        log_.push_back("show wait");
    }
    void setWaitText(const std::string& text) override { log_.push_back("wait text " + text); }
    void closeWait() override {
        waitShown = false;
        log_.push_back("close wait");
    }
    void processPendingEvents() override {}

  private:
    Log& log_;
};

class OpenerTest : public testing::Test {
  protected:
    OpenerTest() : dialogs(log), view(log) {
        table.add("wav", "vellin.dll");
        table.add("rmp", "vellin.dll");
        table.add("nolib", "not-there.dll");
        table.add("noinput", "no_input.dll");
    }

    MusicFileOpener makeOpener() {
        MusicOpenHooks hooks;
        hooks.unloadPlayer = [this] { log.push_back("unload"); };
        hooks.loadIntoPlayer = [this](const std::string& wav) {
            if (refuseLoad) throw std::runtime_error("refused");
            loadedWav = wav;
            log.push_back("load");
        };
        hooks.clearConversionAbort = [this] { log.push_back("clear abort"); };
        hooks.reportProgress = [this](std::int32_t, std::int32_t) {
            ++progressCalls;
            return stopAtFirstReport ? 1 : 0;
        };
        hooks.readLyrics = [this](const std::string& path) { log.push_back("read " + path); };
        hooks.stopFollowingPlayer = [this] { log.push_back("stop following"); };
        MusicFileOpener opener(table, kProgramFolder, dialogs, view, std::move(hooks));
        opener.temporaryWavPath = [this] { return work.path() / "obrin_temp.wav"; };
        opener.existingLyrics = [this] { return lyricsOption; };
        return opener;
    }

    std::string song(const std::string& name, const std::string& fixture = "pcm_s16_stereo.wav") {
        const auto path = folder / name;
        std::filesystem::copy_file(kFixtures / fixture, path);
        return path.string();
    }
    void touch(const std::string& name) { test::WriteBytes(folder / name, "[00:00:00]x\r\n"); }
    bool logHas(const std::string& entry) const {
        return std::ranges::find(log, entry) != log.end();
    }
    bool lyricsOffered() const {
        return std::ranges::any_of(log, [](const std::string& s) {
            return s.starts_with(std::string("confirm ") + kOpenLyricsQuestion);
        });
    }

    // Opens `first`, then fails to open `path`: the song before stays in the
    // player, its WAV untouched, with the window usable and nothing offered.
    void expectTheSongBeforeKept(const MusicFileOpener& opener, const std::string& first,
                                 const std::string& wavBefore) const {
        EXPECT_TRUE(logHas("close wait"));
        EXPECT_EQ(opener.musicFilePath(), first);
        for (const char* call : {"unload", "load"}) EXPECT_FALSE(logHas(call)) << call;
        EXPECT_FALSE(lyricsOffered()) << "nothing offered";
        EXPECT_TRUE(view.enabled);
        EXPECT_FALSE(view.busy);
        EXPECT_FALSE(view.waitShown);
        EXPECT_EQ(view.caption, first);
        EXPECT_EQ(test::ReadBytes(work / "obrin_temp.wav"), wavBefore);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 1)
            << "no partial WAV left";
    }

    test::TempFolder folder;
    test::TempFolder work;
    PluginTable table;
    Log log;
    test::LoggingDialogs dialogs;
    RecordingView view;
    ExistingLyrics lyricsOption = ExistingLyrics::Ask;
    bool refuseLoad = false;
    bool stopAtFirstReport = false;
    int progressCalls = 0;
    std::string loadedWav;
};

TEST_F(OpenerTest, ConvertsIntoTheWorkFolderAndLoadsInOrder) {
    auto opener = makeOpener();
    const std::string path = song("song.wav");
    ASSERT_TRUE(opener.open(path));
    const std::string wav = (work.path() / "obrin_temp.wav").string();
    EXPECT_EQ(loadedWav, wav);
    std::string why;
    EXPECT_TRUE(test::ParseVellinOutput(test::ReadBytes(wav), why)) << why;
    EXPECT_GT(progressCalls, 0);
    EXPECT_EQ(opener.musicFilePath(), path);
    // The player keeps the song before until the new one is converted.
    const Log expected = {"stop following", std::string("caption ") + kDecodingCaption,
                          "disable",        "busy",
                          "clear abort",    "show wait",
                          "caption ",       std::string("wait text ") + kOpeningWaitText,
                          "unload",         "load",
                          "close wait",     "front",
                          "normal cursor",  "caption " + path};
    EXPECT_EQ(log, expected);
    // Nothing but the WAV is left in the work folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 1);
}

TEST_F(OpenerTest, OpensMpegAudioInWaveNamedRmp) {
    auto opener = makeOpener();
    ASSERT_TRUE(opener.open(song("song.rmp", "mp3_stereo.wav")));
    std::string why;
    const auto out = test::ParseVellinOutput(test::ReadBytes(loadedWav), why);
    ASSERT_TRUE(out) << why;
    EXPECT_EQ(out->bits, 16);
    EXPECT_FALSE(out->data.empty());
}

struct FailureCase {
    const char* what;
    const char* fileName;
    const char* fixture;  // nullptr: the bytes of a damaged file
    int code;
    // The start of what the box says under the code line and the file.
    const char* more;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

class OpenerFailureTest : public OpenerTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(OpenerFailureTest, NamesTheFileAndWhyAndKeepsTheSongBefore) {
    const FailureCase& c = GetParam();
    auto opener = makeOpener();
    const std::string first = song("first.wav");
    ASSERT_TRUE(opener.open(first));
    const std::string wavBefore = test::ReadBytes(work / "obrin_temp.wav");
    const std::string path =
        c.fixture ? song(c.fileName, c.fixture) : (folder / c.fileName).string();
    if (!c.fixture) test::WriteBytes(path, "RIFF\x10\x01\x02\x03WAVEdamaged beyond reading");
    touch(std::filesystem::path(c.fileName).replace_extension(".txt").string());
    log.clear();

    EXPECT_FALSE(opener.open(path));
    EXPECT_EQ(DecodeFailedMessage(c.code),
              "ファイルのデコードに失敗しました(コード:" + std::to_string(c.code) + ")");
    // The box comes last, over a usable window and with the wait dialog gone.
    const std::string error = "error " + DecodeFailedMessage(c.code) + "\n" + path + c.more;
    EXPECT_TRUE(log.back().starts_with(error)) << testing::PrintToString(log);
    expectTheSongBeforeKept(opener, first, wavBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, OpenerFailureTest,
    testing::Values(FailureCase{"extension not in the table", "song.ogg", "pcm_s16_stereo.wav", 104,
                                "\n「.ogg」のファイルを開けるプラグインはありません"
                                "\nfiletype.iniに登録がありません"},
                    FailureCase{"no extension", "song", "pcm_s16_stereo.wav", 104,
                                "\n拡張子のないファイルを開けるプラグインはありません"
                                "\nfiletype.iniに登録がありません"},
                    FailureCase{"library cannot be loaded", "song.NoLib", "pcm_s16_stereo.wav", 104,
                                "\n「.nolib」のファイルを開けるプラグインはありません"
                                "\nライブラリ「not-there"},
                    FailureCase{
                        "library without Input", "song.noinput", "pcm_s16_stereo.wav", 103,
                        "\n「.noinput」のファイルを開けるプラグインはありません\nライブラリ「"},
                    FailureCase{"not a RIFF file", "song.wav", "pcm_s16_stereo.ref", 1,
                                "\n音声として読めません("},
                    FailureCase{"damaged", "song.wav", nullptr, 1, "\n音声として読めません("}));

TEST_F(OpenerTest, AStopTheUserAskedForIsNoErrorAndKeepsTheSongBefore) {
    auto opener = makeOpener();
    const std::string first = song("first.wav");
    ASSERT_TRUE(opener.open(first));
    const std::string wavBefore = test::ReadBytes(work / "obrin_temp.wav");
    const std::string path = song("song.WAV");
    log.clear();
    stopAtFirstReport = true;
    EXPECT_FALSE(opener.open(path));
    EXPECT_GT(progressCalls, 0);
    EXPECT_FALSE(std::ranges::any_of(log, [](const std::string& s) {
        return s.starts_with("error");
    })) << testing::PrintToString(log);
    expectTheSongBeforeKept(opener, first, wavBefore);
}

TEST_F(OpenerTest, PlayerRefusingTheWaveCannotOpen) {
    refuseLoad = true;
    auto opener = makeOpener();
    touch("song.txt");
    EXPECT_FALSE(opener.open(song("song.wav")));
    EXPECT_TRUE(logHas(std::string("error ") + kCannotOpenMessage + "\nrefused"));
    EXPECT_EQ(opener.musicFilePath(), "");
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.busy);
    EXPECT_FALSE(view.waitShown);
    EXPECT_EQ(view.caption, "");
    EXPECT_FALSE(lyricsOffered());
}

// A lyrics file beside the song, written `age` seconds before the others
// of age 0.
struct Beside {
    const char* name;
    int age = 0;
};

struct LyricsCase {
    const char* what;
    std::vector<Beside> beside;
    ExistingLyrics option;
    bool answer;
    const char* asked;  // the file named in the question, nullptr: no question
    const char* read;   // file read, nullptr: none
    std::vector<const char*> others{};  // the other files the question names
};

void PrintTo(const LyricsCase& c, std::ostream* os) {
    *os << c.what;
}

class OpenerLyricsTest : public OpenerTest, public testing::WithParamInterface<LyricsCase> {};

TEST_P(OpenerLyricsTest, OffersTheNewestLyricsBesideTheMusicByName) {
    const LyricsCase& c = GetParam();
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const Beside& file : c.beside) {
        touch(file.name);
        std::filesystem::last_write_time(folder / file.name, now - std::chrono::seconds(file.age));
    }
    lyricsOption = c.option;
    dialogs.answer = c.answer;
    auto opener = makeOpener();
    ASSERT_TRUE(opener.open(song("song.wav")));
    const auto questions =
        std::ranges::count_if(log, [](const std::string& s) { return s.starts_with("confirm "); });
    EXPECT_EQ(questions, c.asked ? 1 : 0);
    if (c.asked) {
        std::string question = std::string("confirm ") + kOpenLyricsQuestion + "\n" + c.asked;
        if (!c.others.empty()) question += std::string("\n\n") + kOtherLyricsNote;
        for (const char* other : c.others) question += std::string("\n") + other;
        EXPECT_TRUE(logHas(question)) << testing::PrintToString(log);
    }
    const bool readAny =
        std::ranges::any_of(log, [](const std::string& s) { return s.starts_with("read "); });
    EXPECT_EQ(readAny, c.read != nullptr);
    if (c.read) {
        EXPECT_TRUE(logHas("read " + (folder / c.read).string()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, OpenerLyricsTest,
    testing::Values(
        LyricsCase{"newer txt over older lrc",
                   {{"song.txt"}, {"song.lrc", 60}},
                   ExistingLyrics::Ask,
                   true,
                   "song.txt",
                   "song.txt",
                   {"song.lrc"}},
        LyricsCase{"newer lrc over older txt",
                   {{"song.txt", 60}, {"song.lrc"}},
                   ExistingLyrics::Ask,
                   true,
                   "song.lrc",
                   "song.lrc",
                   {"song.txt"}},
        LyricsCase{"same time: lrc",
                   {{"song.txt"}, {"song.lrc"}},
                   ExistingLyrics::Ask,
                   true,
                   "song.lrc",
                   "song.lrc",
                   {"song.txt"}},
        LyricsCase{"txt alone", {{"song.txt"}}, ExistingLyrics::Ask, true, "song.txt", "song.txt"},
        LyricsCase{"cancel reads nothing",
                   {{"song.lrc"}},
                   ExistingLyrics::Ask,
                   false,
                   "song.lrc",
                   nullptr},
        LyricsCase{"automatic takes the newest",
                   {{"song.txt"}, {"song.lrc", 60}},
                   ExistingLyrics::OpenAutomatically,
                   false,
                   nullptr,
                   "song.txt"},
        LyricsCase{"do nothing", {{"song.txt"}}, ExistingLyrics::DoNothing, true, nullptr, nullptr},
        LyricsCase{"none beside",
                   {{"other.txt"}},
                   ExistingLyrics::OpenAutomatically,
                   true,
                   nullptr,
                   nullptr}));

}  // namespace
}  // namespace obrin
