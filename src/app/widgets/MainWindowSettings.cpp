// The main window's members to and from the settings table. Kept apart from
// MainWindow.cpp: the settings table and the pane model each name their own
// channel enumeration.

#include "settings/Settings.h"
#include "recording/widgets/RegistrationController.h"
#include "app/widgets/MainWindow.h"
#include "config/widgets/ConfigDialogs.h"

namespace mr420 {

// --- settings -------------------------------------------------------------

void MainWindow::applySettings(const AppSettings& s) {
    language_ = s.language;
    portNumber_ = s.portNr;
    rect_ = RecordedWindowRect({s.windowLeft, s.windowTop, s.windowRight - s.windowLeft, s.windowBottom - s.windowTop});
    topmost_ = s.topmost != 0;
    peripherals_->setShowAtStart(s.showAdv != 0);
    for (int c = 0; c < kPaneCount; ++c) {
        const PaneSettings& p = s.panes[std::size_t(c)];
        PaneStyle style = paneStyle(c);
        style.background = p.background;
        style.text = p.text;
        // Only the stored fields change; the rest keep the construction values.
        style.font.height = p.fontHeight;
        style.font.faceName = p.fontName;
        style.font.italic = static_cast<std::uint8_t>(p.fontItalic);
        style.font.weight = p.fontWeight;
        setPaneStyle(c, style);
    }
    registration_->setSettings(registrationSettingsOf(s));
    config_->memoryColumns() = {s.memoryDp != 0, s.memoryPpm != 0};
}

void MainWindow::storeSettings(AppSettings& s) const {
    s.language = language_;
    s.portNr = portNumber_;
    const Rect& r = rect_.current();
    s.windowLeft = r.x;
    s.windowTop = r.y;
    s.windowRight = r.x + r.width;
    s.windowBottom = r.y + r.height;
    s.topmost = topmost_ ? 1 : 0;
    s.showAdv = peripherals_->showAtStart() ? 1 : 0;
    for (int c = 0; c < kPaneCount; ++c) {
        PaneSettings& p = s.panes[std::size_t(c)];
        const PaneStyle style = paneStyle(c);
        p.background = style.background;
        p.text = style.text;
        p.fontHeight = style.font.height;
        p.fontName = style.font.faceName;
        p.fontItalic = style.font.italic;
        p.fontWeight = style.font.weight;
    }
    storeRegistrationSettings(registration_->settings(), s);
    s.memoryDp = config_->memoryColumns().dewPoint ? 1 : 0;
    s.memoryPpm = config_->memoryColumns().waterVapour ? 1 : 0;
}

}  // namespace mr420
