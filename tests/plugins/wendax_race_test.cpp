// The reader's thread against the finishing of the WAV file: stops and ends
// of decoding while samples are still arriving. Loads wendax by itself,
// without the editor's code; scripts/tsan.sh runs it under ThreadSanitizer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "obrin/input_plugin.h"
#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

const std::filesystem::path kFixtures = OBRIN_WENDAX_FIXTURES;
const std::filesystem::path kPlugin = std::filesystem::path(OBRIN_OUTPUT_DIR) / "wendax.so";

// The callback has no context; one conversion runs at a time.
std::atomic<int> calls = 0;
std::atomic<int> stopAtCall = 0;
std::chrono::milliseconds stopDelay{0};

// Answers the stop only after `stopDelay`, by which time the reader is in
// full flow: the stop then lands between samples arriving.
std::int32_t OBRIN_PLUGIN_CALL Progress(std::int32_t, std::int32_t) {
    const int call = ++calls;
    if (stopAtCall == 0 || call < stopAtCall) return 0;
    if (call == stopAtCall) std::this_thread::sleep_for(stopDelay);
    return 1;
}

class WendaxRaceTest : public testing::Test {
  protected:
    void SetUp() override {
        library_ = dlopen(kPlugin.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        input_ = reinterpret_cast<InputFunction>(dlsym(library_, OBRIN_INPUT_SYMBOL));
        ASSERT_NE(input_, nullptr);
    }
    void TearDown() override {
        if (library_ != nullptr) dlclose(library_);
    }
    int convert(const char* fixture, int stopAt, std::chrono::milliseconds delay = {}) {
        calls = 0;
        stopAtCall = stopAt;
        stopDelay = delay;
        return input_((kFixtures / fixture).c_str(), (folder_ / "out.wav").c_str(), &Progress);
    }
    void expectWellFormedOutput() {
        std::string why;
        EXPECT_TRUE(test::ParseVellinOutput(test::ReadBytes(folder_ / "out.wav"), why)) << why;
    }

    test::TempFolder folder_;
    void* library_ = nullptr;
    InputFunction input_ = nullptr;
};

// The first report comes right after the reader started; answered a few
// milliseconds later, the file is finished while the reader is in the middle
// of delivering half a minute of audio.
TEST_F(WendaxRaceTest, StopWhileSamplesArrive) {
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(convert("long.mp3", 1, std::chrono::milliseconds(round)), 3);
        expectWellFormedOutput();
    }
}

TEST_F(WendaxRaceTest, DecodingToTheEnd) {
    for (const char* fixture : {"long.mp3", "wma_stereo.wma", "video_first.mkv"}) {
        ASSERT_EQ(convert(fixture, 0), 0) << fixture;
        expectWellFormedOutput();
    }
}

}  // namespace
}  // namespace obrin
