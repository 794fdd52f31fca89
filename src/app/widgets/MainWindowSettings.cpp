// The main window's state and its features' to and from the settings table,
// apart from the wiring in MainWindow.cpp.

#include "settings/Settings.h"
#include "recording/widgets/RegistrationFeature.h"
#include "app/widgets/MainWindow.h"
#include "recording/widgets/MemoryFeature.h"

namespace mr420 {

// --- settings -------------------------------------------------------------

void MainWindow::applySettings(const AppSettings& s) {
    windowCommands_->setLanguage(s.language);
    windowCommands_->setPortNumber(s.portNr);
    rect_ = RecordedWindowRect({s.windowLeft, s.windowTop, s.windowRight - s.windowLeft, s.windowBottom - s.windowTop});
    windowCommands_->setTopmost(s.topmost != 0);
    windowCommands_->setShowAtStart(s.showAdv != 0);
    for (int c = 0; c < kChannelCount; ++c) {
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
    memory_->options().dewPointColumn = s.memoryDp != 0;
    memory_->options().vapourColumn = s.memoryPpm != 0;
}

void MainWindow::storeSettings(AppSettings& s) const {
    s.language = windowCommands_->language();
    s.portNr = windowCommands_->portNumber();
    const Rect& r = rect_.current();
    s.windowLeft = r.x;
    s.windowTop = r.y;
    s.windowRight = r.x + r.width;
    s.windowBottom = r.y + r.height;
    s.topmost = windowCommands_->topmost() ? 1 : 0;
    s.showAdv = windowCommands_->showAtStart() ? 1 : 0;
    for (int c = 0; c < kChannelCount; ++c) {
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
    s.memoryDp = memory_->options().dewPointColumn ? 1 : 0;
    s.memoryPpm = memory_->options().vapourColumn ? 1 : 0;
}

}  // namespace mr420
