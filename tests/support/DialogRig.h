#pragma once
// A configuration dialog with its model and scripted message boxes, opened
// and answered as the controller does, for the dialog widget tests.

#include <QApplication>

#include <functional>

#include "support/DialogInput.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestApplication.h"

namespace mr420::test {

template <class Model, class Dialog>
struct DialogRig {
    QApplication& application = app();   // before any widget
    ScriptedMessageBoxes boxes;
    Model model;
    Dialog dialog{model, boxes};

    // Opens the dialog for `state`; `act` runs in its modal loop and leaves it.
    // True when it closed with OK.
    bool run(const PanelState& state, bool waitForSettings, const std::function<void()>& act) {
        model.reset(state);
        return runWith(dialog, waitForSettings, act);
    }
    // The panel's reply, as the controller hands it on.
    void arrive(const PanelState& state) {
        model.fill(state);
        dialog.settingsArrived();
    }
    WriteArguments stored() {
        WriteArguments args;
        model.store(args);
        return args;
    }
};

}  // namespace mr420::test
