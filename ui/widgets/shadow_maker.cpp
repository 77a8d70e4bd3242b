#include "ui/widgets/shadow_maker.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {
namespace {

// One row of the shape: the pixels [left, right); empty when left >= right.
struct RowExtent {
    int left = kEmptyLeft;
    int right = kEmptyRight;
    bool Empty() const { return left >= right; }
    bool Holds(int x) const { return x >= left && x < right; }

    // Far enough outside any picture that erosion (+1/-1 per pass, at most
    // a few hundred passes) never brings them back inside.
    static constexpr int kEmptyLeft = 1 << 24;
    static constexpr int kEmptyRight = -(1 << 24);
};

uint32_t Premultiplied(platform::ColorRef c, int alpha) {
    const uint32_t a = static_cast<uint32_t>(alpha);
    return (a << 24) | ((c.Red() * a / 255) << 16) | ((c.Green() * a / 255) << 8) |
           (c.Blue() * a / 255);
}

// The window's rows, moved by `size` into the picture (rows outside it are dropped).
std::vector<RowExtent> ShapeRows(const platform::Region& shape, platform::Size parent, int size,
                                 int height) {
    std::vector<RowExtent> rows(static_cast<size_t>(height));
    for (const platform::Region::Span& span : shape.Spans()) {
        const int left = std::max(span.left, 0);
        const int right = std::min(span.right, parent.width);
        const int y = span.y + size;
        if (span.y < 0 || span.y >= parent.height || left >= right || y < 0 || y >= height) {
            continue;
        }
        RowExtent& row = rows[static_cast<size_t>(y)];
        if (row.Empty()) {
            row = {left + size, right + size};
        } else {
            row.left = std::min(row.left, left + size);
            row.right = std::max(row.right, right + size);
        }
    }
    return rows;
}

// One pass of shrinking: every row keeps only what it and both neighbours hold, less one pixel
// at each end. Returns false once the shape is gone.
bool Shrink(std::vector<RowExtent>& rows) {
    const std::vector<RowExtent> before = rows;
    const RowExtent none;
    bool any = false;
    for (size_t y = 0; y < rows.size(); ++y) {
        const RowExtent& up = y > 0 ? before[y - 1] : none;
        const RowExtent& down = y + 1 < before.size() ? before[y + 1] : none;
        const RowExtent& mid = before[y];
        if (up.Empty() || mid.Empty() || down.Empty()) {
            rows[y] = none;
            continue;
        }
        RowExtent r{std::max({up.left, mid.left, down.left}) + 1,
                    std::min({up.right, mid.right, down.right}) - 1};
        rows[y] = r.Empty() ? none : r;
        any = any || !r.Empty();
    }
    return any;
}

// The soft edge: (2r + 1) squared premultiplied pixels.
std::vector<uint32_t> Kernel(const ShadowParams& p, int radius) {
    const int core = p.size > p.sharpness ? p.size - p.sharpness : 0;
    const int side = 2 * radius + 1;
    std::vector<uint32_t> k(static_cast<size_t>(side) * side, 0);
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            const double d = std::sqrt(double(x) * x + double(y) * y);
            int alpha = 0;
            if (d < core) {
                alpha = p.darkness;
            } else if (d <= radius) {
                alpha = static_cast<int>((1.0 - (d - core) / (p.sharpness + 1.0)) * p.darkness);
            }
            k[static_cast<size_t>(y + radius) * side + (x + radius)] =
                Premultiplied(p.colour, std::clamp(alpha, 0, 255));
        }
    }
    return k;
}

class ShadowPicture {
public:
    ShadowPicture(platform::Surface& s)
        : m_px(s.MutablePixels()), m_stride(s.Stride() / 4), m_w(s.Width()), m_h(s.Height()) {}

    void StampMax(int cx, int cy, const std::vector<uint32_t>& kernel, int radius) {
        const int side = 2 * radius + 1;
        const int y0 = std::max(cy - radius, 0);
        const int y1 = std::min(cy + radius + 1, m_h);
        const int x0 = std::max(cx - radius, 0);
        const int x1 = std::min(cx + radius + 1, m_w);
        for (int y = y0; y < y1; ++y) {
            const uint32_t* k = &kernel[static_cast<size_t>(y - cy + radius) * side];
            uint32_t* row = m_px + static_cast<ptrdiff_t>(y) * m_stride;
            for (int x = x0; x < x1; ++x) {
                row[x] = std::max(row[x], k[x - cx + radius]);
            }
        }
    }
    // Sets [left, right) of row y, clipped.
    void FillRun(int y, int left, int right, uint32_t value) {
        if (y < 0 || y >= m_h) {
            return;
        }
        left = std::max(left, 0);
        right = std::min(right, m_w);
        uint32_t* row = m_px + static_cast<ptrdiff_t>(y) * m_stride;
        for (int x = left; x < right; ++x) {
            row[x] = value;
        }
    }

private:
    uint32_t* m_px;
    int m_stride;
    int m_w;
    int m_h;
};

}  // namespace

std::unique_ptr<platform::Surface> MakeShadow(const std::optional<platform::Region>& parentRegion,
                                              platform::Size parentSize,
                                              const ShadowParams& params) {
    const int size = params.size;
    const int width = parentSize.width + 2 * size;
    const int height = parentSize.height + 2 * size;
    if (parentSize.width <= 0 || parentSize.height <= 0 || width <= 0 || height <= 0) {
        return nullptr;
    }
    std::unique_ptr<platform::Surface> picture = platform::Surface::Create(width, height);
    if (!picture) {
        return nullptr;
    }
    const platform::Region shape =
        parentRegion ? *parentRegion
                     : platform::Region::FromRect({0, 0, parentSize.width, parentSize.height});
    std::vector<RowExtent> rows = ShapeRows(shape, parentSize, size, height);

    bool any = std::any_of(rows.begin(), rows.end(), [](const RowExtent& r) { return !r.Empty(); });
    for (int pass = 0; any && pass < params.sharpness - size; ++pass) {
        any = Shrink(rows);
    }

    ShadowPicture out(*picture);
    if (any) {
        const int radius = std::max<int>(params.sharpness, size);
        const std::vector<uint32_t> kernel = Kernel(params, radius);
        const RowExtent none;
        for (int y = 0; y < height; ++y) {
            const RowExtent& row = rows[static_cast<size_t>(y)];
            const RowExtent& up = y > 0 ? rows[static_cast<size_t>(y - 1)] : none;
            const RowExtent& down = y + 1 < height ? rows[static_cast<size_t>(y + 1)] : none;
            for (int x = row.left; x < row.right; ++x) {
                const bool edge =
                    x == row.left || x == row.right - 1 || !up.Holds(x) || !down.Holds(x);
                if (edge) {
                    out.StampMax(x, y, kernel, radius);
                }
            }
        }
        const uint32_t solid = Premultiplied(params.colour, params.darkness);
        for (int y = 0; y < height; ++y) {
            out.FillRun(y, rows[static_cast<size_t>(y)].left, rows[static_cast<size_t>(y)].right,
                        solid);
        }
    }
    // Clear what the window covers: its shape where it lies in the picture.
    const int dx = size - params.xOffset;
    const int dy = size - params.yOffset;
    for (const platform::Region::Span& span : shape.Spans()) {
        out.FillRun(span.y + dy, span.left + dx, span.right + dx, 0);
    }
    picture->MarkDirty();
    return picture;
}

platform::Rect ShadowRect(const platform::Rect& parent, const ShadowParams& params) {
    const int size = params.size;
    return platform::Rect::FromXywh(parent.left + params.xOffset - size,
                                    parent.top + params.yOffset - size, parent.Width() + 2 * size,
                                    parent.Height() + 2 * size);
}

}  // namespace ui
