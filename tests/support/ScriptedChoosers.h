#pragma once
// The colour, font and file choosers of the widget tests: scripted answers,
// and a record of what was asked.

#include <QColor>
#include <QFont>

#include <vector>

#include "recording/widgets/RegistrationDialog.h"
#include "ui/widgets/ValuePane.h"

namespace mr420::test {

// Answers every colour and font choice with `colour` and `font`, or as
// Cancel while `answer` is false.
struct ScriptedPaneChooser : PaneChooser {
    bool answer = true;
    QColor colour{255, 0, 0};
    QFont font;
    int calls = 0;
    QColor offered;   // the colour the chooser was preset with
    bool chooseColour(QWidget*, QColor& c) override {
        ++calls;
        offered = c;
        if (answer) c = colour;
        return answer;
    }
    bool chooseFont(QWidget*, QFont& f) override {
        ++calls;
        if (answer) f = font;
        return answer;
    }
};

// A file chooser that records every request and answers with `answer`.
struct ScriptedFileChooser {
    std::vector<FileRequest> requests;
    FileChoice answer;
    FileChooser chooser() {
        return [this](QWidget*, const FileRequest& r) {
            requests.push_back(r);
            return answer;
        };
    }
};

}  // namespace mr420::test
