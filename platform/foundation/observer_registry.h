#pragma once
// The list behind the notification centre and the user-defaults observers: handlers registered under a name
// (empty: every name), optionally for one object and on behalf of an owner.
//
// Delivery works on a snapshot taken under the lock and calls each handler outside it, so handlers may add and
// remove observers (or post) freely. Every entry carries a removed flag checked right before its call: an
// observer removed during a delivery, by a handler or by another thread, is not called afterwards. A call that
// has already begun on another thread when removal happens still finishes.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Identifies one registration; returned by the add operations, given back to remove it.
struct ObserverToken {
    uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    bool operator==(const ObserverToken&) const = default;
};

template <class Handler>
class ObserverRegistry {
public:
    struct Entry {
        uint64_t id;
        std::string name;
        const void* object;
        const void* owner;
        Handler handler;
        std::atomic<bool> removed{false};
    };
    using Snapshot = std::vector<std::shared_ptr<Entry>>;

    ObserverToken add(std::string name, const void* object, const void* owner, Handler handler) {
        auto entry = std::make_shared<Entry>();
        entry->name = std::move(name);
        entry->object = object;
        entry->owner = owner;
        entry->handler = std::move(handler);
        std::lock_guard lock(mutex_);
        entry->id = ++lastId_;
        entries_.push_back(entry);
        return ObserverToken{entry->id};
    }

    void remove(ObserverToken token) {
        removeIf([&](const Entry& e) { return e.id == token.id; });
    }

    // Every registration of `owner`, narrowed to `name` and `object` when given (non-empty, non-null).
    void removeOwner(const void* owner, const std::string& name = {}, const void* object = nullptr) {
        if (owner == nullptr) return;
        removeIf([&](const Entry& e) {
            return e.owner == owner && (name.empty() || e.name == name) && (object == nullptr || e.object == object);
        });
    }

    // The live registrations for `name` posted with `object`.
    Snapshot matching(const std::string& name, const void* object) const {
        Snapshot out;
        std::lock_guard lock(mutex_);
        for (const auto& e : entries_) {
            if ((e->name.empty() || e->name == name) && (e->object == nullptr || e->object == object)) {
                out.push_back(e);
            }
        }
        return out;
    }

    template <class... Args>
    void deliver(const std::string& name, const void* object, Args&&... args) const {
        for (const auto& e : matching(name, object)) {
            if (!e->removed.load(std::memory_order_acquire)) e->handler(args...);
        }
    }

    size_t size() const {
        std::lock_guard lock(mutex_);
        return entries_.size();
    }

private:
    template <class Pred>
    void removeIf(Pred pred) {
        std::lock_guard lock(mutex_);
        auto it = std::remove_if(entries_.begin(), entries_.end(), [&](const std::shared_ptr<Entry>& e) {
            if (!pred(*e)) return false;
            e->removed.store(true, std::memory_order_release);
            return true;
        });
        entries_.erase(it, entries_.end());
    }

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Entry>> entries_;
    uint64_t lastId_ = 0;
};

}  // namespace platform
