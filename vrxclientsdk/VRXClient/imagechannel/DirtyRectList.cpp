#include "vrxclientsdk/VRXClient/imagechannel/DirtyRectList.h"

void DirtyRectList::Add(uint64_t nowMs, bool quality100, const IBRect& rect) {
    if (m_size == kCapacity) {
        m_head = (m_head + 1) % kCapacity;
        --m_size;
    }
    At(m_size) = Entry{nowMs, quality100, rect};
    ++m_size;
}

void DirtyRectList::BuildRefreshList(uint64_t nowMs, RefreshList& refresh) {
    refresh.Clear();
    // Entries are in the order of queuing, so the old ones lead the ring.
    size_t expired = 0;
    const size_t total = m_size;
    for (size_t i = 0; i < total; ++i) {
        const Entry e = At(i);
        if (nowMs - e.tickMs > kRefreshAgeMs) {
            if (e.quality100) {
                refresh.Subtract(e.rect);
            } else {
                refresh.Add(e.rect);
            }
            ++expired;  // old entries lead, so they leave from the front
        } else {
            refresh.Subtract(e.rect);
        }
    }
    m_head = (m_head + expired) % kCapacity;
    m_size -= expired;
}
