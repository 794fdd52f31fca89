// The message boxes: what Escape, the close box and the buttons of a real
// QMessageBox answer (offscreen), and what the scripted boxes record and
// answer.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <ostream>
#include <string>

#include "support/BoxActor.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestApplication.h"

namespace mr420 {
namespace {

using test::app;

using test::BoxActor;
using test::clickNo;
using test::clickOk;
using test::clickYes;
using test::closeBox;
using test::pressEnter;
using test::pressEscape;

struct UserCase {
    const char* name;
    BoxButtons buttons;
    BoxAnswer safe;
    void (*act)(QMessageBox&);
    BoxAnswer expected;
};

void PrintTo(const UserCase& c, std::ostream* os) { *os << c.name; }

class QtBoxAnswer : public ::testing::TestWithParam<UserCase> {};

TEST_P(QtBoxAnswer, IsWhatTheUserDid) {
    app();
    const UserCase& c = GetParam();
    QtMessageBoxes boxes;
    BoxActor actor(c.act);
    const BoxAnswer answer =
        boxes.showBox(nullptr, {QStringLiteral("Plik już istnieje."), c.buttons, BoxIcon::Question, c.safe});
    ASSERT_TRUE(actor.acted());
    EXPECT_FALSE(actor.stayedOpen());
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(actor.text, QStringLiteral("Plik już istnieje."));
    EXPECT_EQ(actor.title, QStringLiteral("MR420"));
    EXPECT_EQ(actor.icon, QMessageBox::Question);
    if (c.buttons != BoxButtons::Ok) {
        const auto safe = c.buttons == BoxButtons::YesNoCancel ? QMessageBox::Cancel
                          : c.safe == BoxAnswer::Yes           ? QMessageBox::Yes
                                                               : QMessageBox::No;
        EXPECT_EQ(actor.buttons, c.buttons == BoxButtons::YesNoCancel
                                     ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                     : QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(actor.defaultButton, safe);
        EXPECT_EQ(actor.escape, safe);
        QStringList texts{QStringLiteral("&Tak"), QStringLiteral("&Nie")};
        if (c.buttons == BoxButtons::YesNoCancel) texts << QStringLiteral("Anuluj");
        EXPECT_EQ(actor.buttonTexts, texts);
    } else {
        EXPECT_EQ(actor.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtBoxAnswer,
    ::testing::Values(
        // A question whose No destroys something: only a click on No says No.
        UserCase{"NoDestroysEscape", BoxButtons::YesNo, BoxAnswer::Yes, pressEscape, BoxAnswer::Yes},
        UserCase{"NoDestroysCloseBox", BoxButtons::YesNo, BoxAnswer::Yes, closeBox, BoxAnswer::Yes},
        UserCase{"NoDestroysClickNo", BoxButtons::YesNo, BoxAnswer::Yes, clickNo, BoxAnswer::No},
        UserCase{"NoDestroysClickYes", BoxButtons::YesNo, BoxAnswer::Yes, clickYes, BoxAnswer::Yes},
        // A question whose Yes does something: Escape and the close box say No.
        UserCase{"YesActsEscape", BoxButtons::YesNo, BoxAnswer::No, pressEscape, BoxAnswer::No},
        UserCase{"YesActsCloseBox", BoxButtons::YesNo, BoxAnswer::No, closeBox, BoxAnswer::No},
        UserCase{"YesActsClickYes", BoxButtons::YesNo, BoxAnswer::No, clickYes, BoxAnswer::Yes},
        UserCase{"YesActsClickNo", BoxButtons::YesNo, BoxAnswer::No, clickNo, BoxAnswer::No},
        UserCase{"YesActsEnter", BoxButtons::YesNo, BoxAnswer::No, pressEnter, BoxAnswer::No},
        UserCase{"NoDestroysEnter", BoxButtons::YesNo, BoxAnswer::Yes, pressEnter, BoxAnswer::Yes},
        // A question with a way back: only a click on Yes or No acts.
        UserCase{"WithCancelEnter", BoxButtons::YesNoCancel, BoxAnswer::Cancel, pressEnter, BoxAnswer::Cancel},
        UserCase{"WithCancelEscape", BoxButtons::YesNoCancel, BoxAnswer::Cancel, pressEscape, BoxAnswer::Cancel},
        UserCase{"WithCancelClickNo", BoxButtons::YesNoCancel, BoxAnswer::Cancel, clickNo, BoxAnswer::No},

        // An OK box answers Ok however it goes away.
        UserCase{"OkEscape", BoxButtons::Ok, BoxAnswer::Ok, pressEscape, BoxAnswer::Ok},
        UserCase{"OkCloseBox", BoxButtons::Ok, BoxAnswer::Ok, closeBox, BoxAnswer::Ok},
        UserCase{"OkClick", BoxButtons::Ok, BoxAnswer::Ok, clickOk, BoxAnswer::Ok}),
    [](const ::testing::TestParamInfo<UserCase>& info) { return std::string(info.param.name); });

TEST(ScriptedMessageBoxes, RecordsEachBoxAndAnswersLikeEscapeWhenNothingIsScripted) {
    ScriptedMessageBoxes boxes;
    std::vector<QString> seenInside;
    boxes.onShow = [&](const ScriptedMessageBoxes::Shown& s) { seenInside.push_back(s.text); };

    EXPECT_TRUE(boxes.askNoDestroys(nullptr, QStringLiteral("a")));
    EXPECT_FALSE(boxes.ask(nullptr, QStringLiteral("b"), BoxIcon::Warning));
    boxes.information(nullptr, QStringLiteral("c"));
    EXPECT_EQ(boxes.show(nullptr, QStringLiteral("d"), BoxButtons::YesNo, BoxIcon::Error), BoxAnswer::No);
    // A Yes/No request naming Ok as safe is read as No.
    EXPECT_EQ(boxes.showBox(nullptr, {QStringLiteral("e"), BoxButtons::YesNo, BoxIcon::None, BoxAnswer::Ok}),
              BoxAnswer::No);

    boxes.answers = {BoxAnswer::No, BoxAnswer::Yes};
    EXPECT_FALSE(boxes.askNoDestroys(nullptr, QStringLiteral("f")));
    EXPECT_TRUE(boxes.ask(nullptr, QStringLiteral("g")));
    EXPECT_TRUE(boxes.answers.empty());
    EXPECT_EQ(boxes.askOrCancel(nullptr, QStringLiteral("h")), BoxAnswer::Cancel);

    struct Expected {
        const char* text;
        BoxButtons buttons;
        BoxIcon icon;
        BoxAnswer safe;
    };
    const Expected expected[] = {
        {"a", BoxButtons::YesNo, BoxIcon::Question, BoxAnswer::Yes},
        {"b", BoxButtons::YesNo, BoxIcon::Warning, BoxAnswer::No},
        {"c", BoxButtons::Ok, BoxIcon::Information, BoxAnswer::Ok},
        {"d", BoxButtons::YesNo, BoxIcon::Error, BoxAnswer::No},
        {"e", BoxButtons::YesNo, BoxIcon::None, BoxAnswer::No},
        {"f", BoxButtons::YesNo, BoxIcon::Question, BoxAnswer::Yes},
        {"g", BoxButtons::YesNo, BoxIcon::Question, BoxAnswer::No},
        {"h", BoxButtons::YesNoCancel, BoxIcon::Question, BoxAnswer::Cancel},
    };
    ASSERT_EQ(boxes.shown.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(boxes.shown[i].text, QString::fromLatin1(expected[i].text));
        EXPECT_EQ(boxes.shown[i].buttons, expected[i].buttons);
        EXPECT_EQ(boxes.shown[i].icon, expected[i].icon);
        EXPECT_EQ(boxes.shown[i].safeAnswer, expected[i].safe);
        EXPECT_EQ(seenInside[i], boxes.shown[i].text);
    }
}

}  // namespace
}  // namespace mr420
