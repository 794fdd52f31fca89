#include "ui/MainLayout.h"

#include <algorithm>
#include <vector>

namespace mr420 {

int frameSpacing(int systemFrameWidth) { return std::clamp(systemFrameWidth, 2, 20); }

namespace {

enum class Column { Full, Left, Right };

// Places a column of panes top to bottom between T and B.
void placeColumn(MainLayout& layout, const std::vector<Channel>& panes, Column column, int W, int F,
                 int T, int B) {
    if (panes.empty()) return;
    int x = F;
    int width = W - 2 * F;
    if (column == Column::Left) {
        width = W / 2 - F;
    } else if (column == Column::Right) {
        x = W / 2 + F;
        width = W - F - x;
    }
    int n = static_cast<int>(panes.size());
    int D = B - T;
    for (int k = 0; k < n; ++k) {
        int upper = T + (k * D) / n;
        int lower = k == n - 1 ? B : T + ((k + 1) * D) / n;
        int top = upper + F;
        layout.panes[panes[static_cast<std::size_t>(k)]] = Rect{x, top, width, lower - top};
    }
}

}  // namespace

MainLayout computeMainLayout(int W, int H, int systemFrameWidth, int E, const LayoutConditions& c, int clockWidth) {
    MainLayout layout;
    int F = frameSpacing(systemFrameWidth);
    layout.statusField = {F, F, W - 2 * F - clockWidth, E};
    layout.clockField = {W - clockWidth, F, clockWidth - F, E};
    int T = F + 2 + E;
    int B = H - F;

    const bool t1 = c.temperature1Available;
    const bool t2 = c.temperature2Available;
    const bool rh = c.humidityAvailable;
    const bool p = !c.pressureAbsent;

    auto twoColumns = [&](std::vector<Channel> left) {
        placeColumn(layout, left, Column::Left, W, F, T, B);
        placeColumn(layout, {kChannelDp, kChannelWb}, Column::Right, W, F, T, B);
    };
    auto full = [&](std::vector<Channel> panes) { placeColumn(layout, panes, Column::Full, W, F, T, B); };

    if (!c.connected || (t1 && rh && p)) {
        twoColumns({kChannelTemp1, kChannelRh, kChannelPressure});
    } else if (t1 && t2 && p) {
        full({kChannelTemp1, kChannelTemp2, kChannelPressure});
    } else if (t1 && p) {
        full({kChannelTemp1, kChannelPressure});
    } else if (t1 && rh) {
        twoColumns({kChannelTemp1, kChannelRh});
    } else if (t1 && t2) {
        full({kChannelTemp1, kChannelTemp2});
    } else if (t1) {
        full({kChannelTemp1});
    } else if (p) {
        full({kChannelPressure});
    } else if (rh) {
        // No pane is moved.
    } else {
        twoColumns({kChannelTemp1, kChannelRh});
    }
    return layout;
}

WindowSizeState::Reaction WindowSizeState::onSize(SizeKind kind, int width, int height, bool initialising) {
    Reaction reaction;
    switch (kind) {
    case SizeKind::Restored:
        restoredWidth = width;
        restoredHeight = height;
        maximised = false;
        break;
    case SizeKind::Maximised:
        maximisedWidth = width;
        maximisedHeight = height;
        maximised = true;
        break;
    case SizeKind::Minimised:
        maximised = false;
        break;
    }
    if (initialising) return reaction;
    reaction.recordWindowRect = kind == SizeKind::Restored;
    reaction.layOut = true;
    return reaction;
}

void RecordedWindowRect::record(const Rect& rect) {
    if (rect == recent_.back()) return;
    recent_.push_back(rect);
    constexpr std::size_t kKept = 4;
    if (recent_.size() > kKept) recent_.pop_front();
}

void RecordedWindowRect::windowMaximised(const Rect& work) {
    auto covers = [&](const Rect& r) {
        return r.x <= work.x && r.y <= work.y && r.x + r.width >= work.x + work.width &&
               r.y + r.height >= work.y + work.height;
    };
    while (recent_.size() > 1 && covers(recent_.back())) recent_.pop_back();
}

WindowRect correctWindowRect(WindowRect r, int sx, int sy) {
    if (r.right > sx + 10) {
        int shift = r.right - sx;
        r.left -= shift;
        r.right = sx;
    }
    if (r.bottom > sy + 10) {
        int shift = r.bottom - sy;
        r.top -= shift;
        r.bottom = sy;
    }
    if (r.top < -10) r.top = 0;
    if (r.left < -10) r.left = 0;
    return r;
}

}  // namespace mr420
