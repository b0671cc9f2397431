#include "shell/recovery_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "obrin_files/file_replacement.h"
#include "temp_folder.h"

namespace obrin {
namespace {

// A disk whose first write does not end until the test lets it, so that
// requests can be made while a write is in progress.
struct HeldDisk {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = true;
    std::vector<std::string> written;

    std::error_code write(std::string_view bytes) {
        std::unique_lock lock(mutex);
        written.emplace_back(bytes);
        changed.notify_all();
        changed.wait(lock, [this] { return !held; });
        return {};
    }
};

struct HeldCase {
    const char* name;
    std::vector<const char*> whileHeld;  // bytes to write; nullptr removes
    std::vector<std::string> written;
    bool fileAfter;
};

class RecoveryWriterTest : public testing::TestWithParam<std::tuple<HeldCase, bool>> {};

// Of the requests made during a write, only the last one is carried out,
// after it; also when the writer is destroyed right away.
TEST_P(RecoveryWriterTest, OnlyTheLatestWaitingRequestRuns) {
    const auto& [c, destroy] = GetParam();
    test::TempFolder folder;
    folder.write("recovery.txt", "first");  // as the held write leaves it
    HeldDisk disk;
    auto writer = std::make_unique<RecoveryWriter>(
        folder / "recovery.txt", std::filesystem::path(),
        [&disk](const std::filesystem::path&, std::string_view bytes) {
            return disk.write(bytes);
        });
    writer->write("first");
    {
        std::unique_lock lock(disk.mutex);
        disk.changed.wait(lock, [&] { return !disk.written.empty(); });
    }
    for (const char* bytes : c.whileHeld) {
        if (bytes)
            writer->write(bytes);
        else
            writer->remove();
    }
    {
        const std::lock_guard lock(disk.mutex);
        disk.held = false;
        disk.changed.notify_all();
    }
    if (destroy)
        writer.reset();
    else
        writer->waitIdle();

    EXPECT_EQ(disk.written, c.written);
    EXPECT_EQ(std::filesystem::exists(folder / "recovery.txt"), c.fileAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RecoveryWriterTest,
    testing::Combine(testing::Values(HeldCase{"Nothing", {}, {"first"}, true},
                                     HeldCase{"Writes", {"b", "c", "d"}, {"first", "d"}, true},
                                     HeldCase{"WritesThenRemove", {"b", nullptr}, {"first"}, false},
                                     HeldCase{
                                         "RemoveThenWrite", {nullptr, "c"}, {"first", "c"}, true},
                                     HeldCase{"Remove", {nullptr}, {"first"}, false}),
                     testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "ThenDestroyed" : "ThenWaited");
    });

TEST(RecoveryWriter, AFailingRunIsToldOnceUntilAWriteSucceeds) {
    test::TempFolder folder;
    const std::filesystem::path file = folder / "recovery.txt";
    RecoveryWriter writer(file, {}, [](const std::filesystem::path& to, std::string_view bytes) {
        return WriteFileAtomically(to, bytes);
    });
    std::vector<bool> told;
    for (const bool fails : {true, true, true, false, true, true}) {
        std::filesystem::remove(file);
        if (fails) std::filesystem::create_directories(file);  // cannot be replaced by a file
        writer.write("x");
        writer.waitIdle();
        told.push_back(static_cast<bool>(writer.takeFailure()));
    }
    EXPECT_EQ(told, (std::vector<bool>{true, false, false, false, true, false}));
}

}  // namespace
}  // namespace obrin
