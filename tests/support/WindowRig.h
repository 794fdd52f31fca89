#pragma once
// The main window on the simulated panel behind a pseudo-terminal, with
// scripted message boxes, for end-to-end tests of what the menus open.

#include <QAction>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "settings/Settings.h"
#include "app/widgets/MainWindow.h"
#include "support/ScriptedMessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include "protocol/PanelConnection.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

namespace mr420::test {

struct WindowRig {
    sim::Scenario scenario;
    sim::PtyPanel panel;
    AppSettings settings = defaultSettings();
    ScriptedMessageBoxes boxes;
    std::unique_ptr<MainWindow> window;
    bool waitShown = false;   // the last menu action showed the wait window

    WindowRig(const std::string& name, const std::string& scenarioName)
        : WindowRig(name, sim::makeScenario(scenarioName, 0).value_or(sim::Scenario{})) {}
    WindowRig(const std::string& name, sim::Scenario panelScenario)
        : scenario(std::move(panelScenario)), panel(scenario.model, scenario.faults, makeTempDir(name) + "/tty") {
        app();
        started = panel.start().has_value();
        settings.portNr = 99;
        settings.showAdv = 0;  // no "Program VKS" window after start
        window = std::make_unique<MainWindow>(settings, std::map<int, std::string>{{99, panel.linkPath()}}, boxes);
        window->initialise();
        window->show();
        connected = pumpUntil([&] { return window->connection().state().panelSerialNumber != 0; }, 10000);
    }
    bool started = false;
    bool connected = false;

    // Triggers a menu entry; `user` runs once `ready` holds, from a polling
    // timer in the loop the entry opens (a handler that waited inside a
    // queued call would hold back the byte hand-over). False when `user`
    // never ran.
    bool trigger(int menuId, const std::function<bool()>& ready, const std::function<void()>& user) {
        bool acted = false;
        QTimer act;
        QObject::connect(&act, &QTimer::timeout, [&] {
            if (acted || !ready()) return;
            acted = true;
            user();
        });
        act.start(5);
        const int waitsBefore = window->waitWindow().closeCount();
        QAction* action = window->action(menuId);
        if (!action || !action->isEnabled()) return false;
        action->trigger();
        waitShown = window->waitWindow().closeCount() > waitsBefore;
        return acted;
    }
    sim::PanelModel model() { return panel.modelSnapshot(); }
};

}  // namespace mr420::test
