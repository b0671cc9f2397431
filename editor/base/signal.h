#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace obrin {

class Connection;

namespace detail {

// What a Signal and its Connections share: the slots, each with an id, so a
// Connection can remove its own slot whether or not the Signal still exists.
struct SlotList {
    struct Slot {
        std::size_t id;
        std::shared_ptr<void> function;  // holds a std::function<void(Args...)>
    };
    std::vector<Slot> entries;  // not "slots": Qt defines that word as a macro
    std::size_t nextId = 1;

    void remove(std::size_t id) {
        std::erase_if(entries, [id](const Slot& slot) { return slot.id == id; });
    }
};

}  // namespace detail

// Ends one listener's connection when it goes out of scope (or on
// disconnect()). Move-only; a default-constructed Connection holds nothing.
// Owners keep their Connections beside the state the listener reads, so a
// listener that goes away never hears another notice.
class [[nodiscard]] Connection {
  public:
    Connection() = default;
    Connection(std::weak_ptr<detail::SlotList> list, std::size_t id)
        : list_(std::move(list)), id_(id) {}
    Connection(Connection&& other) noexcept
        : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            list_ = std::move(other.list_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { disconnect(); }

    void disconnect() {
        if (auto list = list_.lock()) list->remove(id_);
        list_.reset();
        id_ = 0;
    }
    bool connected() const { return id_ != 0 && !list_.expired(); }

  private:
    std::weak_ptr<detail::SlotList> list_;
    std::size_t id_ = 0;
};

// A notice with any number of listeners, called in the order they connected,
// on the thread that emits. A listener may connect or disconnect listeners
// (itself included) while the notice is being delivered: a listener removed
// meanwhile is not called, one added meanwhile first hears the next notice.
template <typename... Args>
class Signal {
  public:
    using Function = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    Connection connect(Function function) {
        const std::size_t id = list_->nextId++;
        list_->entries.push_back({id, std::make_shared<Function>(std::move(function))});
        return Connection(list_, id);
    }

    void operator()(Args... args) const {
        // A copy of the slots, so changes made by listeners cannot invalidate
        // the iteration; each slot is looked up again before it is called.
        const std::vector<detail::SlotList::Slot> snapshot = list_->entries;
        for (const auto& slot : snapshot) {
            if (!isConnected(slot.id)) continue;
            (*std::static_pointer_cast<Function>(slot.function))(args...);
        }
    }

    std::size_t listenerCount() const { return list_->entries.size(); }

  private:
    bool isConnected(std::size_t id) const {
        for (const auto& slot : list_->entries) {
            if (slot.id == id) return true;
        }
        return false;
    }

    std::shared_ptr<detail::SlotList> list_ = std::make_shared<detail::SlotList>();
};

}  // namespace obrin
