#include "ui/widgets/FontsDialog.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

#include <algorithm>

#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"
#include "ui/PaneStyleRows.h"
#include "ui/widgets/ClosingButtons.h"

namespace mr420 {

FontSample::FontSample(QWidget* parent) : QLabel(QString::fromLatin1(kFontSampleText), parent) {
    setAlignment(Qt::AlignCenter);
    setFixedSize(dluX(170), dluY(30));
    setCursor(Qt::PointingHandCursor);
}

void FontSample::setSampleFont(const QFont& font) {
    setFont(font);
    const QSize base(dluX(170), dluY(30));
    const QSize text = QFontMetrics(font).size(Qt::TextSingleLine, this->text()) + QSize(8, 4);
    setFixedSize(std::clamp(text.width(), base.width(), 3 * base.width()),
                 std::clamp(text.height(), base.height(), 3 * base.height()));
}

void FontSample::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    e->accept();
}

void FontSample::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    e->accept();
    if (click) emit clicked();
}

FontsDialog::FontsDialog(const PaneSet& panes, PaneChooser& chooser, QWidget* parent)
    : QDialog(parent), panes_(panes), chooser_(chooser) {
    setWindowTitle(tr("Czcionki"));
    openWideEnough(this);
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(dluX(8));
    grid->setVerticalSpacing(dluY(4));
    int row = 0;
    for (const FontDialogRow& r : fontDialogRows()) {
        const std::size_t c = std::size_t(r.channel);
        grid->addWidget(new QLabel(tr(r.caption), this), row, 0);
        auto* sample = new FontSample(this);
        sample->setObjectName(QString::number(r.sampleId));
        // Every sample starts in its pane's value font.
        sample->setSampleFont(panes_[c]->valueFont());
        grid->addWidget(sample, row, 1);
        samples_[c] = sample;
        ValuePane* pane = panes_[c];
        // The sample follows the pane, changed or not.
        connect(sample, &FontSample::clicked, this, [this, pane, sample] {
            pane->chooseValueFont(chooser_);
            sample->setSampleFont(pane->valueFont());
            adjustSize();
            sample->repaint();
        });
        ++row;
    }
    outer->addLayout(grid);
    std::tie(ok_, cancel_) = addClosingButtons(this, outer, tr("OK"), tr("Anuluj"));
}

FontSample* FontsDialog::sampleById(int id) const {
    for (FontSample* s : samples_)
        if (s && s->objectName() == QString::number(id)) return s;
    return nullptr;
}

bool runFontsCommand(const PaneSet& panes, PaneChooser& chooser, QWidget* parent) {
    std::array<LogicalFont, 6> fonts;
    for (std::size_t c = 0; c < panes.size(); ++c) fonts[c] = panes[c]->valueLogFont;
    FontsDialog dialog(panes, chooser, parent);
    if (dialog.exec() == QDialog::Accepted) return true;
    for (std::size_t c = 0; c < panes.size(); ++c) panes[c]->setValueFont(fonts[c]);
    return false;
}

}  // namespace mr420
