#pragma once
// Layout arithmetic of the main window: where the status field, the clock
// field and the value panes go for a client size, and the bookkeeping of the
// window's size notifications. Pure functions; the widget applies the result.

#include <array>
#include <deque>
#include <optional>

#include "ui/ValuePaneModel.h"

namespace mr420 {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// Width of the clock field column, in pixels, unless the window asks for
// the width its clock text needs.
constexpr int kClockFieldWidth = 120;

// The system's dialog-frame width limited to 2..20 pixels.
int frameSpacing(int systemFrameWidth);

// Which channels the last refresh found (see ReadingModel::Conditions).
struct LayoutConditions {
    bool connected = false;
    bool temperature1Available = false;
    bool temperature2Available = false;
    bool humidityAvailable = false;
    bool pressureAbsent = false;
};

struct MainLayout {
    Rect statusField;
    Rect clockField;
    // Panes by Channel; empty for a pane that keeps its place.
    std::array<std::optional<Rect>, kChannelCount> panes;
};

// Client width W and height H, systemFrameWidth before limiting,
// statusFieldHeight E and clockFieldWidth in pixels. Divisions cut toward zero.
MainLayout computeMainLayout(int clientWidth, int clientHeight, int systemFrameWidth,
                             int statusFieldHeight, const LayoutConditions& conditions,
                             int clockFieldWidth = kClockFieldWidth);

// Kinds of a size notification.
enum class SizeKind { Restored, Minimised, Maximised };

// The window's record of its size notifications.
struct WindowSizeState {
    int restoredWidth = 0;
    int restoredHeight = 0;
    int maximisedWidth = 0;
    int maximisedHeight = 0;
    bool maximised = false;

    struct Reaction {
        bool recordWindowRect = false;   // store the window rectangle (restored kind)
        bool layOut = false;             // lay out for the reported size
    };

    // Stores the size (even while initialising); while initialising nothing
    // else happens.
    Reaction onSize(SizeKind kind, int width, int height, bool initialising);

    // The size a refresh lays out for: the maximised size when maximised,
    // the restored size otherwise.
    int currentWidth() const { return maximised ? maximisedWidth : restoredWidth; }
    int currentHeight() const { return maximised ? maximisedHeight : restoredHeight; }
};

// The window rectangle kept for the settings (outer frame, in screen
// coordinates): the restored one, whatever the window manager's order of
// notifications. Rectangles are recorded while the window is restored; when
// it becomes maximised, those that cover the screen's work area were the
// maximised geometry arriving before the state change, and are dropped.
class RecordedWindowRect {
public:
    explicit RecordedWindowRect(const Rect& initial) { recent_.push_back(initial); }

    void record(const Rect& rect);
    void windowMaximised(const Rect& workArea);
    const Rect& current() const { return recent_.back(); }

private:
    std::deque<Rect> recent_;   // the last few, newest last; never empty
};

// Position recording on a move notification.
inline bool recordsPositionOnMove(bool initialising, bool maximised) { return !initialising && !maximised; }

// Stored rectangle of the window in screen coordinates.
struct WindowRect {
    int left = 100;
    int top = 100;
    int right = 700;
    int bottom = 500;
    bool operator==(const WindowRect&) const = default;
};

// Correction of the stored rectangle against the primary screen, made when
// the settings are written at exit: an edge more than 10 pixels beyond the
// right or bottom moves the rectangle back on; a top or left edge more than
// 10 pixels above or left of the screen is set to 0.
WindowRect correctWindowRect(WindowRect rect, int screenWidth, int screenHeight);

// Top-left of a centred icon in a minimised window's client area.
inline int centredIconOffset(int clientExtent, int iconExtent) { return (clientExtent - iconExtent + 1) / 2; }

}  // namespace mr420
