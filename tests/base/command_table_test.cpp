#include "base/command_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace obrin {
namespace {

constexpr CommandId kFirst{"First1"};
constexpr CommandId kSecond{"Second1"};

TEST(CommandTableTest, TriggerRunsOnlyAnEnabledCommand) {
    CommandTable table;
    int runs = 0;
    bool enabled = false;
    table.add({.id = kFirst, .enabled = [&] { return enabled; }, .run = [&] { ++runs; }});
    table.add({.id = kSecond, .run = [&] { runs += 10; }});
    EXPECT_FALSE(table.trigger(kFirst));
    enabled = true;
    EXPECT_TRUE(table.trigger(kFirst));
    EXPECT_TRUE(table.trigger(kSecond));  // no check: always enabled
    EXPECT_EQ(runs, 11);
}

TEST(CommandTableTest, WiringFaultsThrowInsteadOfDoingNothing) {
    CommandTable table;
    EXPECT_THROW(table.add({.id = kFirst}), std::logic_error);  // no action
    table.add({.id = kFirst, .run = [] {}});
    EXPECT_THROW(table.add({.id = kFirst, .run = [] {}}), std::logic_error);
    EXPECT_THROW(static_cast<void>(table.at(kSecond)), std::logic_error);
    EXPECT_THROW(table.trigger(kSecond), std::logic_error);
    EXPECT_FALSE(table.contains(kSecond));
}

}  // namespace
}  // namespace obrin
