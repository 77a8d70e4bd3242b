#include "vrxclientsdk/VRXClient/imagechannel/BlockQueue.h"

#include <algorithm>
#include <boost/chrono.hpp>
#include <cstdlib>
#include <new>

namespace {

// Rows of pixels are read by SIMD code in the encoders: keep the ring on a
// cache-line boundary.
constexpr size_t kRingAlignment = 64;

}  // namespace

bool BlockQueue::Allocate(size_t ringBytes, size_t frameBytes, size_t records) {
    if (ringBytes > m_ringBytes) {
        const size_t rounded = (ringBytes + kRingAlignment - 1) / kRingAlignment * kRingAlignment;
        void* p = std::aligned_alloc(kRingAlignment, rounded);
        if (!p) {
            return false;
        }
        m_ring.reset(static_cast<uint8_t*>(p));
        m_ringBytes = ringBytes;
    }
    // The usable part never exceeds what was allocated.
    m_usable = std::min(frameBytes, m_ringBytes);
    if (m_records.size() < records) {
        try {
            m_records.resize(records);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    Clear();
    return true;
}

void BlockQueue::Clear() {
    boost::mutex::scoped_lock guard(m_lock);
    m_head = m_count = 0;
    m_write = 0;
}

uint8_t* BlockQueue::Reserve(size_t bytes, const std::function<bool()>& running) {
    if (bytes == 0 || bytes > m_usable) {
        return nullptr;
    }
    bool full;
    {
        boost::mutex::scoped_lock guard(m_lock);
        full = m_count == m_records.size();
    }
    if (m_write + bytes > m_usable || full) {
        WaitDrained(running);
        boost::mutex::scoped_lock guard(m_lock);
        if (m_count != 0) {
            return nullptr;  // stopped while waiting
        }
    }
    return m_ring.get() + m_write;
}

void BlockQueue::Push(const QueuedBlock& record, uint8_t* at, size_t bytes) {
    {
        boost::mutex::scoped_lock guard(m_lock);
        QueuedBlock& slot = m_records[(m_head + m_count) % m_records.size()];
        slot = record;
        slot.block.pBits = at;
        ++m_count;
    }
    m_write = static_cast<size_t>(at - m_ring.get()) + bytes;
    m_queued.notify_all();
}

void BlockQueue::WaitDrained(const std::function<bool()>& running) {
    boost::mutex::scoped_lock guard(m_lock);
    while (m_count != 0 && running()) {
        m_drained.wait_for(guard, boost::chrono::milliseconds(1));
    }
    if (m_count == 0) {
        m_write = 0;
    }
}

bool BlockQueue::Front(QueuedBlock* out, int waitMs) {
    boost::mutex::scoped_lock guard(m_lock);
    if (m_count == 0 && waitMs > 0) {
        m_queued.wait_for(guard, boost::chrono::milliseconds(waitMs));
    }
    if (m_count == 0) {
        return false;
    }
    *out = m_records[m_head];
    return true;
}

void BlockQueue::PopFront() {
    bool empty;
    {
        boost::mutex::scoped_lock guard(m_lock);
        if (m_count == 0) {
            return;
        }
        m_head = (m_head + 1) % m_records.size();
        --m_count;
        empty = m_count == 0;
    }
    if (empty) {
        m_drained.notify_all();
    }
}

void BlockQueue::Wake() {
    m_queued.notify_all();
    m_drained.notify_all();
}

size_t BlockQueue::Size() {
    boost::mutex::scoped_lock guard(m_lock);
    return m_count;
}
