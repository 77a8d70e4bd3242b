#include "platform/window/window_tree.h"

#include <algorithm>
#include <utility>

#include "platform/window/window_limits.h"

namespace platform {

WindowId WindowTree::Add(const WindowOptions& options) {
    if (options.child && !Find(options.parent)) {
        return {};
    }
    uint32_t slot = 0;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        if (m_slots.size() >= kMaxWindows) {
            return {};
        }
        slot = static_cast<uint32_t>(m_slots.size());
        m_slots.emplace_back();
        m_generations.push_back(1);
        std::lock_guard<std::mutex> guard(m_liveLock);
        m_liveIds.push_back(0);
    }
    uint32_t generation = m_generations[slot];
    // Generation 0 would let slot 0 make the null id.
    m_generations[slot] = generation == UINT32_MAX ? 1 : generation + 1;

    auto node = std::make_unique<WindowNode>();
    node->id = WindowId::FromParts(slot, generation);
    node->child = options.child;
    if (options.child) {
        node->parent = options.parent;
    } else if (Find(options.parent)) {
        node->owner = options.parent;
    }
    node->sequence = m_nextSequence++;
    node->rect = options.rect;
    node->className = options.className;
    node->title = options.title;
    node->controlId = options.controlId;
    node->visible = false;  // Show() makes it visible, so that kShow is sent
    node->enabled = options.enabled;
    node->topmost = options.topmost;
    node->popup = options.popup;
    node->toolWindow = options.toolWindow;
    node->clickThrough = options.clickThrough;
    node->perPixelAlpha = options.perPixelAlpha;
    node->dialogKeys = options.dialogKeys;
    node->messageOnly = !options.child && options.messageOnly;
    node->doubleClicks = options.doubleClicks;
    node->tabStop = options.tabStop;
    node->layer = options.layer;
    node->cursor = options.cursor;
    node->handler = options.handler;
    WindowId id = node->id;
    if (options.child) {
        Find(options.parent)->children.push_back(id);
    }
    m_slots[slot] = std::move(node);
    {
        std::lock_guard<std::mutex> guard(m_liveLock);
        m_liveIds[slot] = id.Value();
    }
    return id;
}

std::unique_ptr<WindowNode> WindowTree::Remove(WindowId id) {
    if (!Find(id)) {
        return nullptr;
    }
    uint32_t slot = id.Slot();
    std::unique_ptr<WindowNode> node = std::move(m_slots[slot]);
    {
        std::lock_guard<std::mutex> guard(m_liveLock);
        m_liveIds[slot] = 0;
    }
    m_freeSlots.push_back(slot);
    if (node->child) {
        if (WindowNode* parent = Find(node->parent)) {
            std::erase(parent->children, id);
        }
    }
    return node;
}

WindowNode* WindowTree::Find(WindowId id) {
    return const_cast<WindowNode*>(std::as_const(*this).Find(id));
}

const WindowNode* WindowTree::Find(WindowId id) const {
    if (id.IsNull() || id.Slot() >= m_slots.size()) {
        return nullptr;
    }
    const WindowNode* node = m_slots[id.Slot()].get();
    return node && node->id == id ? node : nullptr;
}

bool WindowTree::IsAlive(WindowId id) const {
    std::lock_guard<std::mutex> guard(m_liveLock);
    return !id.IsNull() && id.Slot() < m_liveIds.size() && m_liveIds[id.Slot()] == id.Value();
}

WindowId WindowTree::TopLevelOf(WindowId id) const {
    const WindowNode* node = Find(id);
    while (node && node->child) {
        node = Find(node->parent);
    }
    return node ? node->id : WindowId{};
}

Point WindowTree::OriginInTopLevel(WindowId id) const {
    Point origin;
    const WindowNode* node = Find(id);
    while (node && node->child) {
        origin.x += node->rect.left;
        origin.y += node->rect.top;
        node = Find(node->parent);
    }
    return origin;
}

Point WindowTree::ScreenOrigin(WindowId id) const {
    Point origin = OriginInTopLevel(id);
    if (const WindowNode* top = Find(TopLevelOf(id))) {
        origin.x += top->rect.left;
        origin.y += top->rect.top;
    }
    return origin;
}

bool WindowTree::IsShown(WindowId id) const {
    const WindowNode* node = Find(id);
    if (!node) {
        return false;
    }
    for (; node; node = node->child ? Find(node->parent) : nullptr) {
        if (!node->visible) {
            return false;
        }
    }
    return true;
}

bool WindowTree::IsEnabledDeep(WindowId id) const {
    const WindowNode* node = Find(id);
    if (!node) {
        return false;
    }
    for (; node; node = node->child ? Find(node->parent) : nullptr) {
        if (!node->enabled) {
            return false;
        }
    }
    return true;
}

WindowId WindowTree::HitTest(WindowId topLevel, Point local) const {
    const WindowNode* top = Find(topLevel);
    if (!top || top->child || !top->visible || top->clickThrough) {
        return {};
    }
    if (!Rect{0, 0, top->rect.Width(), top->rect.Height()}.Contains(local.x, local.y) ||
        (top->region && !top->region->Contains(local.x, local.y))) {
        return {};
    }
    WindowId hit = HitChildren(*top, local);
    return hit ? hit : topLevel;
}

// Children are tried from the top of the stack down: controls before
// widgets, and within a layer the latest-created first (the child list is
// in creation order, so it is walked backwards, once per layer).
WindowId WindowTree::HitChildren(const WindowNode& node, Point local) const {
    for (WindowLayer layer : {WindowLayer::kControl, WindowLayer::kWidget}) {
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
            const WindowNode* child = Find(*it);
            if (!child || child->layer != layer || !child->visible || !child->enabled ||
                !child->rect.Contains(local.x, local.y)) {
                continue;
            }
            Point inner{local.x - child->rect.left, local.y - child->rect.top};
            if (child->region && !child->region->Contains(inner.x, inner.y)) {
                continue;
            }
            WindowId deeper = HitChildren(*child, inner);
            return deeper ? deeper : child->id;
        }
    }
    return {};
}

void WindowTree::CollectTabStops(const WindowNode& node,
                                 std::vector<const WindowNode*>& out) const {
    for (WindowId c : node.children) {
        const WindowNode* child = Find(c);
        if (!child || !child->visible || !child->enabled) {
            continue;
        }
        if (child->tabStop) {
            out.push_back(child);
        }
        CollectTabStops(*child, out);
    }
}

std::vector<WindowId> WindowTree::TabStops(WindowId topLevel) const {
    std::vector<WindowId> result;
    const WindowNode* top = Find(topLevel);
    if (!top) {
        return result;
    }
    std::vector<const WindowNode*> stops;
    CollectTabStops(*top, stops);
    std::stable_sort(stops.begin(), stops.end(), [](const WindowNode* a, const WindowNode* b) {
        return a->sequence < b->sequence;
    });
    for (const WindowNode* n : stops) {
        result.push_back(n->id);
    }
    return result;
}

std::vector<WindowId> WindowTree::TopLevels() const {
    std::vector<const WindowNode*> tops;
    for (const auto& slot : m_slots) {
        if (slot && !slot->child) {
            tops.push_back(slot.get());
        }
    }
    std::sort(tops.begin(), tops.end(),
              [](const WindowNode* a, const WindowNode* b) { return a->sequence < b->sequence; });
    std::vector<WindowId> result;
    for (const WindowNode* n : tops) {
        result.push_back(n->id);
    }
    return result;
}

WindowId WindowTree::FindTopLevel(std::string_view className, std::string_view title) const {
    for (WindowId id : TopLevels()) {
        const WindowNode* n = Find(id);
        if ((className.empty() || n->className == className) &&
            (title.empty() || n->title == title)) {
            return id;
        }
    }
    return {};
}

}  // namespace platform
