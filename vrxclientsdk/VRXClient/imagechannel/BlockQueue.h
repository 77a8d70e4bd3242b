// The image channel's queue of captured blocks and the ring buffer that
// holds their pixels or their coded messages.
//
// The capture thread reserves room at the ring's write position, copies a
// block's pixels there (or codes the block there, as a whole message) and
// pushes its record; the encode thread reads the record at the front,
// encodes straight from the ring (or frames and sends the coded message
// where it lies) and pops it. The ring
// restarts at its start only once the queue has drained, so pixels behind
// the write position are never overwritten while queued. Ring and record
// slots are allocated once by Allocate(); nothing allocates per block.
//
// THREADING: Allocate and Clear while no other thread uses the queue;
// Reserve, Push and WaitDrained on the capture thread; Front and PopFront
// on the encode thread; Wake and Size from any thread.
#pragma once

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

// One queued block. `block.pBits` is where its bytes lie in the ring: packed
// pixels (block.stride their row length), what the encoder prepared on
// capture, or, when coded on capture, a message whose coded bytes start
// after the header's room.
struct QueuedBlock {
    // `coded` of a block whose pixels are queued.
    static constexpr long kPixels = -1;
    // `coded` of a block that failed to code; the codec's result is in codecError.
    static constexpr long kFailed = -2;
    // `coded` of a block prepared for its encoder on capture (BlockEncoder::Prepare).
    static constexpr long kPrepared = -3;

    IMAGE_BLOCK block;
    long coded = kPixels;  // else the length of the coded bytes
    int codecError = 0;
};

class BlockQueue {
public:
    static constexpr size_t kDefaultRecords = 512;

    BlockQueue() = default;
    BlockQueue(const BlockQueue&) = delete;
    BlockQueue& operator=(const BlockQueue&) = delete;

    // Sizes the ring to `ringBytes` (usable bytes: min(frameBytes, ringBytes))
    // and the record slots; reuses the memory when it is large enough. False
    // when memory is short.
    bool Allocate(size_t ringBytes, size_t frameBytes, size_t records = kDefaultRecords);
    // Empties the queue and restarts the ring.
    void Clear();
    size_t UsableBytes() const { return m_usable; }

    // Returns where `bytes` of pixels may be written: at the write position,
    // or at the ring's start after waiting for the queue to drain when they
    // would pass the usable end or every record slot is taken. nullptr when
    // the block can never fit, or when `running` turned false while waiting.
    uint8_t* Reserve(size_t bytes, const std::function<bool()>& running);

    // Appends `record` with its bytes at `at` (from Reserve; record.block.pBits
    // becomes `at`), advances the write position by `bytes` and wakes the
    // encode thread.
    void Push(const QueuedBlock& record, uint8_t* at, size_t bytes);

    // Waits, 1 ms at a time, while `running` holds and the queue is not
    // empty; then restarts the ring at its start.
    void WaitDrained(const std::function<bool()>& running);

    // Copies the front record into *out, waiting up to `waitMs` for one.
    // The record stays queued until PopFront. False when none came.
    bool Front(QueuedBlock* out, int waitMs);
    // Removes the front record; wakes WaitDrained when the queue empties.
    void PopFront();

    // Wakes every waiter (stop).
    void Wake();
    size_t Size();

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };

    boost::mutex m_lock;
    boost::condition_variable_any m_queued;
    boost::condition_variable_any m_drained;

    std::unique_ptr<uint8_t, FreeDeleter> m_ring;  // 64-byte aligned
    size_t m_ringBytes = 0;
    size_t m_usable = 0;
    size_t m_write = 0;  // capture thread only

    std::vector<QueuedBlock> m_records;  // a ring of record slots
    size_t m_head = 0;                   // guarded by m_lock
    size_t m_count = 0;                  // guarded by m_lock
};
