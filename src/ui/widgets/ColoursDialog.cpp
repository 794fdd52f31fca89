#include "ui/widgets/ColoursDialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"
#include "ui/PaneStyleRows.h"
#include "ui/widgets/ClosingButtons.h"
#include "ui/widgets/ColourSwatch.h"

namespace mr420 {

ColoursDialog::ColoursDialog(const PaneSet& panes, PaneChooser& chooser, QWidget* parent)
    : QDialog(parent), panes_(panes), chooser_(chooser) {
    setWindowTitle(tr("Kolory"));
    openWideEnough(this);
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(dluX(8));
    grid->setVerticalSpacing(dluY(4));
    grid->addWidget(new QLabel(tr("Tło"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(tr("Tekst"), this), 0, 2, Qt::AlignHCenter);
    int row = 1;
    for (const ColourDialogRow& r : colourDialogRows()) {
        const std::size_t c = std::size_t(r.channel);
        grid->addWidget(new QLabel(tr(r.caption), this), row, 0);
        auto* bg = new ColourSwatch(this);
        auto* fg = new ColourSwatch(this);
        bg->setObjectName(QString::number(r.backgroundSwatchId));
        fg->setObjectName(QString::number(r.textSwatchId));
        for (ColourSwatch* s : {bg, fg}) s->setFixedSize(dluX(40), dluY(14));
        // Every swatch starts with its pane's colour.
        bg->setColour(panes_[c]->backgroundColour);
        fg->setColour(panes_[c]->textColour);
        grid->addWidget(bg, row, 1);
        grid->addWidget(fg, row, 2);
        background_[c] = bg;
        text_[c] = fg;
        ValuePane* pane = panes_[c];
        // The swatch follows the pane, changed or not.
        connect(bg, &ColourSwatch::clicked, this, [this, pane, bg] {
            pane->chooseBackgroundColour(chooser_);
            bg->setColour(pane->backgroundColour);
        });
        connect(fg, &ColourSwatch::clicked, this, [this, pane, fg] {
            pane->chooseTextColour(chooser_);
            fg->setColour(pane->textColour);
        });
        ++row;
    }
    outer->addLayout(grid);
    std::tie(ok_, cancel_) = addClosingButtons(this, outer, tr("OK"), tr("Anuluj"));
}

ColourSwatch* ColoursDialog::swatch(int id) const {
    for (const auto* set : {&background_, &text_})
        for (ColourSwatch* s : *set)
            if (s && s->objectName() == QString::number(id)) return s;
    return nullptr;
}

bool runColoursCommand(const PaneSet& panes, PaneChooser& chooser, QWidget* parent) {
    std::array<QColor, 6> backgrounds, texts;
    for (std::size_t c = 0; c < panes.size(); ++c) {
        backgrounds[c] = panes[c]->backgroundColour;
        texts[c] = panes[c]->textColour;
    }
    ColoursDialog dialog(panes, chooser, parent);
    if (dialog.exec() == QDialog::Accepted) return true;
    for (std::size_t c = 0; c < panes.size(); ++c) {
        panes[c]->backgroundColour = backgrounds[c];
        panes[c]->textColour = texts[c];
        panes[c]->repaintNow();
    }
    return false;
}

}  // namespace mr420
