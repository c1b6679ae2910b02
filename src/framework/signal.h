#pragma once
// A minimal single-threaded observer list. Observers are called in the order
// they were added; removing one while the signal is being emitted is safe.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace framework {

template <class... Args> class Signal {
public:
    using Slot = std::function<void(Args...)>;

    int connect(Slot slot)
    {
        const int id = ++lastId_;
        slots_->push_back({id, std::move(slot)});
        return id;
    }

    void disconnect(int id)
    {
        for (auto& entry : *slots_)
            if (entry.id == id)
                entry.slot = nullptr;
    }

    void emit(Args... args) const
    {
        // Copy the shared list so an observer that connects or disconnects
        // during the call does not invalidate the iteration.
        auto keep = slots_;
        const size_t count = keep->size();
        for (size_t i = 0; i < count; ++i) {
            Slot slot = (*keep)[i].slot;
            if (slot)
                slot(args...);
        }
    }

    bool empty() const
    {
        for (const auto& entry : *slots_)
            if (entry.slot)
                return false;
        return true;
    }

private:
    struct Entry {
        int id;
        Slot slot;
    };
    std::shared_ptr<std::vector<Entry>> slots_ = std::make_shared<std::vector<Entry>>();
    int lastId_ = 0;
};

} // namespace framework
