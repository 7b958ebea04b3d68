// A small per-thread cache of things built for one owner (an effect or a child shader) and kept
// for the draws that follow, the least recently used giving way. Entries never move, so a running
// one may be pointed at while a nested lookup runs, and one in use is never given away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plix {

template <class Value, size_t Capacity = 8>
class ThreadCache {
public:
    struct Entry {
        uint64_t id = 0;  // the owner's id, set by the caller once the value is built
        int inUse = 0;
        uint64_t lastUse = 0;
        Value value;
    };

    // The entry of `id`; or one to build anew (its id differs from `id`: the caller rebuilds the
    // value and then sets the id); or nullptr when every entry is running.
    Entry* lookup(uint64_t id) {
        fEntries.reserve(Capacity);
        Entry* entry = nullptr;
        for (auto& e : fEntries)
            if (e.id == id) entry = &e;
        if (!entry) {
            if (fEntries.size() < Capacity) {
                entry = &fEntries.emplace_back();
            } else {
                for (auto& e : fEntries)
                    if (!e.inUse && (!entry || e.lastUse < entry->lastUse)) entry = &e;
            }
            if (!entry) return nullptr;
        }
        entry->lastUse = ++fClock;
        return entry;
    }

private:
    std::vector<Entry> fEntries;
    uint64_t fClock = 0;
};

}  // namespace plix
