#include "platform/window/timer_queue.h"

#include <algorithm>

namespace platform {

void TimerQueue::Set(WindowId window, uint32_t timerId, uint32_t intervalMs, uint64_t nowMs) {
    intervalMs = std::max<uint32_t>(intervalMs, 1);
    for (Entry& e : m_entries) {
        if (e.window == window && e.timerId == timerId) {
            e.intervalMs = intervalMs;
            e.dueMs = nowMs + intervalMs;
            e.order = m_nextOrder++;
            return;
        }
    }
    m_entries.push_back(Entry{window, timerId, intervalMs, nowMs + intervalMs, m_nextOrder++});
}

bool TimerQueue::Kill(WindowId window, uint32_t timerId) {
    return std::erase_if(m_entries, [&](const Entry& e) {
               return e.window == window && e.timerId == timerId;
           }) > 0;
}

void TimerQueue::RemoveWindow(WindowId window) {
    std::erase_if(m_entries, [&](const Entry& e) { return e.window == window; });
}

bool TimerQueue::IsSet(WindowId window, uint32_t timerId) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const Entry& e) { return e.window == window && e.timerId == timerId; });
}

std::optional<TimerQueue::Fired> TimerQueue::TakeDue(uint64_t nowMs) {
    Entry* best = nullptr;
    for (Entry& e : m_entries) {
        if (e.dueMs > nowMs) {
            continue;
        }
        if (!best || e.dueMs < best->dueMs || (e.dueMs == best->dueMs && e.order < best->order)) {
            best = &e;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    best->dueMs = nowMs + best->intervalMs;
    best->order = m_nextOrder++;
    return Fired{best->window, best->timerId};
}

std::optional<uint64_t> TimerQueue::NextDue() const {
    std::optional<uint64_t> next;
    for (const Entry& e : m_entries) {
        if (!next || e.dueMs < *next) {
            next = e.dueMs;
        }
    }
    return next;
}

}  // namespace platform
