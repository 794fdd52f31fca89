#pragma once
// Message boxes for the widget tests: every box recorded, answers from a queue.

#include <deque>
#include <functional>
#include <vector>

#include "base/widgets/MessageBoxes.h"

namespace mr420 {

// Records every box and answers from a queue; with the queue empty it answers
// as Escape would, with the box's safe answer.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        BoxButtons buttons;
        BoxIcon icon;
        BoxAnswer safeAnswer;   // escapeAnswer() of the request
    };
    std::vector<Shown> shown;
    std::deque<BoxAnswer> answers;
    // Runs inside showBox(), before the answer; tests use it to act while the box is open.
    std::function<void(const Shown&)> onShow;

    BoxAnswer showBox(QWidget*, const BoxRequest& request) override {
        shown.push_back({request.text, request.buttons, request.icon, escapeAnswer(request)});
        if (onShow) onShow(shown.back());
        if (answers.empty()) return escapeAnswer(request);
        const BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace mr420
