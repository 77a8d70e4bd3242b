// The window table: checked ids, the parent/child tree, coordinates, hit
// testing and Tab order.
//
// THREADING: everything runs on the user-interface thread except IsAlive(),
// which any thread may call (it reads the slot generations under a lock).
#pragma once

#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/window/window_node.h"

namespace platform {

class WindowTree {
public:
    WindowTree() = default;
    WindowTree(const WindowTree&) = delete;
    WindowTree& operator=(const WindowTree&) = delete;

    // Adds a node built from `options` and returns its new id; null when the
    // table is full or a child's parent is not alive.
    WindowId Add(const WindowOptions& options);

    // Takes the node out of the table (its id dies at once) and hands it to
    // the caller, who keeps it until nothing refers to it any more. The
    // node is also unlinked from its parent's child list.
    std::unique_ptr<WindowNode> Remove(WindowId id);

    WindowNode* Find(WindowId id);
    const WindowNode* Find(WindowId id) const;
    bool IsAlive(WindowId id) const;  // any thread

    // The top-level that contains `id` (itself for a top-level).
    WindowId TopLevelOf(WindowId id) const;
    // The screen position of the window's client origin.
    Point ScreenOrigin(WindowId id) const;
    // The window's client origin in its top-level's client coordinates.
    Point OriginInTopLevel(WindowId id) const;
    // Visible itself and through all its parents.
    bool IsShown(WindowId id) const;
    // Enabled itself, through all its parents and its top-level.
    bool IsEnabledDeep(WindowId id) const;

    // The innermost shown, enabled, hit-able window of `topLevel` at `local`
    // (top-level client coordinates): later siblings above earlier ones,
    // controls above widgets, regions restricting hits. The top-level itself
    // when no child is hit; null when the point is outside its shape.
    WindowId HitTest(WindowId topLevel, Point local) const;

    // The shown and enabled Tab stops of a top-level in creation order.
    std::vector<WindowId> TabStops(WindowId topLevel) const;

    // Every top-level in creation order.
    std::vector<WindowId> TopLevels() const;
    // The first top-level whose class and title match; an empty text
    // matches anything.
    WindowId FindTopLevel(std::string_view className, std::string_view title) const;

private:
    WindowId HitChildren(const WindowNode& node, Point local) const;
    void CollectTabStops(const WindowNode& node, std::vector<const WindowNode*>& out) const;

    std::vector<std::unique_ptr<WindowNode>> m_slots;
    std::vector<uint32_t> m_freeSlots;
    // Next generation per slot (user-interface thread).
    std::vector<uint32_t> m_generations;
    // The live id of each slot (0 when free), for IsAlive on any thread.
    std::vector<uint64_t> m_liveIds;
    mutable std::mutex m_liveLock;
    uint64_t m_nextSequence = 1;
};

}  // namespace platform
