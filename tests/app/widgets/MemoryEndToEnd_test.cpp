// The panel memory end to end: the main window on the simulated panel reads
// the memory through "Odczyt danych", lists it, is cancelled while reading,
// and erases it through "Usuń zawartość pamięci".

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include "recording/MemoryDecoder.h"
#include "recording/widgets/MemoryDialog.h"
#include "recording/widgets/MemoryFeature.h"
#include "support/WindowRig.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

using test::pumpUntil;
using test::WindowRig;

TEST(MemoryEndToEnd, TheMemoryIsReadDecodedAndListed) {
    WindowRig rig("e2e-memory", "memory");
    ASSERT_TRUE(rig.started && rig.connected);
    MemoryDialog& dialog = rig.window->memory().dialog();
    int rows = 0;
    QString usage, firstTime, lastColumn;
    ASSERT_TRUE(rig.trigger(
        menu_id::kMemoryRead, [&] { return dialog.isVisible() && dialog.list()->isVisible(); },
        [&] {
            const QAbstractItemModel* model = dialog.list()->model();
            rows = model->rowCount();
            usage = dialog.usage()->text();
            firstTime = model->data(model->index(0, 1)).toString();
            lastColumn = model->headerData(model->columnCount() - 1, Qt::Horizontal).toString();
            EXPECT_TRUE(dialog.saveButton()->isEnabled());
            EXPECT_FALSE(dialog.progress()->isVisible());
            dialog.closeButton()->click();
        }));
    EXPECT_TRUE(rig.boxes.shown.empty());

    // The list holds what the panel's image decodes to, in time order.
    const sim::PanelModel panel = rig.model();
    std::vector<std::uint8_t> image(static_cast<std::size_t>(panel.memorySizeBlocks) * 256, 0xFF);
    std::copy_n(panel.memoryImage.begin(), std::min(image.size(), panel.memoryImage.size()), image.begin());
    const DecodedMemory expected = decodeMemoryImage(image.data(), image.size());
    ASSERT_GT(expected.records.size(), 0u);
    EXPECT_EQ(rows, static_cast<int>(expected.records.size()));
    const LocalTime& t = expected.records.front().time;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    EXPECT_EQ(firstTime, QString::fromLatin1(text));
    EXPECT_TRUE(usage.startsWith(QStringLiteral("Zajęte miejsce w pamięci: "))) << usage.toStdString();
    EXPECT_EQ(lastColumn, QStringLiteral("Zaw. pary"));
    // Polling goes on afterwards.
    const auto framesBefore = rig.panel.framesReceived();
    EXPECT_TRUE(pumpUntil([&] { return rig.panel.framesReceived() > framesBefore + 5; }, 5000));
}

TEST(MemoryEndToEnd, ClosingWhileReadingStopsAtTheNextStep) {
    WindowRig rig("e2e-memory-cancel", "memory-full");
    ASSERT_TRUE(rig.started && rig.connected);
    MemoryDialog& dialog = rig.window->memory().dialog();
    ASSERT_TRUE(rig.trigger(
        menu_id::kMemoryRead, [&] { return dialog.isVisible() && dialog.progress()->value() >= 3; },
        [&] {
            dialog.closeButton()->click();
            EXPECT_FALSE(dialog.closeButton()->isEnabled());
        }));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(rig.window->memory().readout().aborted());
    EXPECT_FALSE(rig.window->connection().session().memoryReadoutActive);
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(MemoryEndToEnd, EraseAsksThenWaitsForThePanel) {
    WindowRig rig("e2e-memory-erase", "memory");
    ASSERT_TRUE(rig.started && rig.connected);
    rig.boxes.answers.push_back(BoxAnswer::Yes);
    rig.window->action(menu_id::kMemoryErase)->trigger();   // 15 s behind the wait window
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, QStringLiteral("Chcesz usunąć zawartość pamięci?"));
    EXPECT_EQ(rig.window->waitWindow().closeCount(), 1);
    EXPECT_TRUE(rig.window->connection().state().memoryErased);
    // Read again, the panel's memory is empty: message 130.
    rig.window->action(menu_id::kMemoryRead)->trigger();
    ASSERT_EQ(rig.boxes.shown.size(), 2u);
    EXPECT_EQ(rig.boxes.shown[1].text, QStringLiteral("Pamięć jest pusta."));
}

}  // namespace
}  // namespace mr420
