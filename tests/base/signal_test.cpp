#include "base/signal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace obrin {
namespace {

TEST(SignalTest, EveryListenerHearsInConnectionOrderUntilItsConnectionEnds) {
    Signal<int> changed;
    std::vector<std::string> heard;
    Connection first = changed.connect([&](int n) { heard.push_back("a" + std::to_string(n)); });
    std::optional<Connection> second =
        changed.connect([&](int n) { heard.push_back("b" + std::to_string(n)); });
    changed(1);
    second.reset();  // the listener went away
    changed(2);
    first.disconnect();
    changed(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"a1", "b1", "a2"}));
    EXPECT_EQ(changed.listenerCount(), 0u);
    EXPECT_FALSE(first.connected());
}

TEST(SignalTest, ListenersChangedDuringANoticeTakeEffectAtOnceForRemovalNextTimeForAdding) {
    Signal<> notice;
    int removedCalls = 0;
    int addedCalls = 0;
    Connection removed;
    Connection added;
    Connection remover = notice.connect([&] {
        removed.disconnect();
        if (!added.connected()) added = notice.connect([&] { ++addedCalls; });
    });
    removed = notice.connect([&] { ++removedCalls; });
    notice();
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(addedCalls, 0);
    notice();
    EXPECT_EQ(addedCalls, 1);
}

TEST(SignalTest, AConnectionMayOutliveItsSignal) {
    Connection connection;
    {
        Signal<> notice;
        connection = notice.connect([] {});
        EXPECT_TRUE(connection.connected());
    }
    EXPECT_FALSE(connection.connected());
    connection.disconnect();  // nothing left to do, and no crash
}

TEST(SignalTest, MovedConnectionKeepsTheListener) {
    Signal<> notice;
    int calls = 0;
    Connection moved;
    {
        Connection original = notice.connect([&] { ++calls; });
        moved = std::move(original);
    }
    notice();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace obrin
