// The JPEG areas sent recently, with their time and whether they went out
// at quality 100. At the end of each frame the areas sent at a lower quality
// more than 1100 ms ago, and not sent at 100 since, form the refresh list.
// Entries leave the list once older than that, and the list is capped, so it
// never grows without bound. Fixed capacity; no allocation after construction.
//
// Belongs to the capture thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vrxclientsdk/VRXClient/imagechannel/RefreshList.h"

class DirtyRectList {
public:
    static constexpr uint64_t kRefreshAgeMs = 1100;
    static constexpr size_t kCapacity = 1024;

    DirtyRectList() { m_entries.resize(kCapacity); }

    // Records an area sent at `nowMs`. When the list is full the oldest entry
    // is dropped first.
    void Add(uint64_t nowMs, bool quality100, const IBRect& rect);

    // Fills `refresh` (cleared first) from the entries, oldest first: an
    // entry older than 1100 ms is added when it was sent below quality 100,
    // subtracted when at 100, and leaves the list; a younger entry is
    // subtracted and stays.
    void BuildRefreshList(uint64_t nowMs, RefreshList& refresh);

    void Clear() { m_head = m_size = 0; }
    size_t Size() const { return m_size; }

private:
    struct Entry {
        uint64_t tickMs = 0;
        bool quality100 = false;
        IBRect rect;
    };
    Entry& At(size_t i) { return m_entries[(m_head + i) % kCapacity]; }

    std::vector<Entry> m_entries;  // a ring of kCapacity entries
    size_t m_head = 0;
    size_t m_size = 0;
};
