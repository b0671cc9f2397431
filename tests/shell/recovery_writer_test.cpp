#include "shell/recovery_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "obrin_files/file_replacement.h"
#include "temp_folder.h"

namespace obrin {
namespace {

RecoveryWriter::WriteFile RealWrite() {
    return [](const std::filesystem::path& file, std::string_view bytes) {
        return WriteFileAtomically(file, bytes);
    };
}

// A disk whose first write does not end until the test lets it, so that
// requests can be made while a write is in progress.
struct HeldDisk {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = true;
    std::vector<std::string> written;
    std::error_code failure;

    RecoveryWriter::WriteFile writeFile() {
        return [this](const std::filesystem::path&, std::string_view bytes) {
            std::unique_lock lock(mutex);
            written.emplace_back(bytes);
            changed.notify_all();
            changed.wait(lock, [this] { return !held; });
            return failure;
        };
    }
    void waitForWrites(std::size_t count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return written.size() >= count; });
    }
    void release() {
        const std::lock_guard lock(mutex);
        held = false;
        changed.notify_all();
    }
};

struct Step {
    enum { Write, Remove } kind;
    const char* bytes = "";
};

struct OrderCase {
    const char* name;
    bool fileBefore;
    std::vector<Step> steps;
    std::optional<std::string> after;  // the file's bytes; nullopt when there is none
};

class RecoveryWriterOrderTest : public testing::TestWithParam<std::tuple<OrderCase, bool>> {};

// The file ends as the last request left it, whether the writer is waited
// for or destroyed straight after the requests.
TEST_P(RecoveryWriterOrderTest, TheLastRequestDecides) {
    const auto& [c, destroy] = GetParam();
    test::TempFolder folder;
    const std::filesystem::path file = folder / "recovery.txt";
    if (c.fileBefore) folder.write("recovery.txt", "earlier run");
    auto writer = std::make_unique<RecoveryWriter>(file, std::filesystem::path(), RealWrite());
    for (const Step& step : c.steps) {
        if (step.kind == Step::Write)
            writer->write(step.bytes);
        else
            writer->remove();
    }
    if (destroy) {
        writer.reset();
    } else {
        writer->waitIdle();
        EXPECT_FALSE(writer->takeFailure());
    }

    if (c.after)
        EXPECT_EQ(folder.read("recovery.txt"), *c.after);
    else
        EXPECT_FALSE(std::filesystem::exists(file));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RecoveryWriterOrderTest,
    testing::Combine(
        testing::Values(OrderCase{"Write", false, {{Step::Write, "a"}}, "a"},
                        OrderCase{
                            "WriteWrite", false, {{Step::Write, "a"}, {Step::Write, "b"}}, "b"},
                        OrderCase{"WriteWriteRemove",
                                  false,
                                  {{Step::Write, "a"}, {Step::Write, "b"}, {Step::Remove}},
                                  std::nullopt},
                        OrderCase{"RemoveWrite", true, {{Step::Remove}, {Step::Write, "b"}}, "b"},
                        OrderCase{"RemoveOnly", true, {{Step::Remove}}, std::nullopt},
                        OrderCase{"Nothing", true, {}, "earlier run"}),
        testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "ThenDestroyed" : "ThenWaited");
    });

struct HeldCase {
    const char* name;
    std::vector<Step> whileHeld;  // requests made while "first" is being written
    std::vector<std::string> written;
    bool fileAfter;
};

class RecoveryWriterHeldTest : public testing::TestWithParam<HeldCase> {};

// Requests made during a write wait for it; of those, only the last one is
// carried out.
TEST_P(RecoveryWriterHeldTest, OnlyTheLatestWaitingRequestRuns) {
    const HeldCase& c = GetParam();
    test::TempFolder folder;
    const std::filesystem::path file = folder / "recovery.txt";
    folder.write("recovery.txt", "first");  // as the held write would leave it
    HeldDisk disk;
    RecoveryWriter writer(file, {}, disk.writeFile());
    writer.write("first");
    disk.waitForWrites(1);
    for (const Step& step : c.whileHeld) {
        if (step.kind == Step::Write)
            writer.write(step.bytes);
        else
            writer.remove();
    }
    disk.release();
    writer.waitIdle();

    EXPECT_EQ(disk.written, c.written);
    EXPECT_EQ(std::filesystem::exists(file), c.fileAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RecoveryWriterHeldTest,
    testing::Values(
        HeldCase{"Nothing", {}, {"first"}, true},
        HeldCase{"ThreeWrites",
                 {{Step::Write, "b"}, {Step::Write, "c"}, {Step::Write, "d"}},
                 {"first", "d"},
                 true},
        HeldCase{"WritesThenRemove", {{Step::Write, "b"}, {Step::Remove}}, {"first"}, false},
        HeldCase{"RemoveThenWrite", {{Step::Remove}, {Step::Write, "c"}}, {"first", "c"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecoveryWriter, AFailingRunIsToldOnceUntilAWriteSucceeds) {
    test::TempFolder folder;
    const std::filesystem::path file = folder / "recovery.txt";
    RecoveryWriter writer(file, {}, RealWrite());
    std::filesystem::create_directories(file);  // cannot be replaced by a file
    std::vector<bool> told;
    const auto writeAndTake = [&] {
        writer.write("x");
        writer.waitIdle();
        told.push_back(static_cast<bool>(writer.takeFailure()));
    };
    writeAndTake();
    writeAndTake();
    writeAndTake();
    std::filesystem::remove(file);
    writeAndTake();
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    writeAndTake();
    writeAndTake();

    EXPECT_EQ(told, (std::vector<bool>{true, false, false, false, true, false}));
}

TEST(RecoveryWriter, MakesItsFolderBeforeWriting) {
    test::TempFolder folder;
    const std::filesystem::path own = folder / "state/obrin";
    RecoveryWriter writer(own / "recovery.txt", own, RealWrite());
    writer.write("a");
    writer.waitIdle();
    EXPECT_FALSE(writer.takeFailure());
    EXPECT_EQ(test::ReadBytes(own / "recovery.txt"), "a");
}

}  // namespace
}  // namespace obrin
