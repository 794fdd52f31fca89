#pragma once
// "Czcionki": the value font of each value pane, one row per channel with a
// sample text in that font. A click on a sample lets the pane choose its
// font; the pane shows the choice at once.

#include <QDialog>
#include <QLabel>

#include <array>

#include "ui/widgets/ColoursDialog.h"

class QPushButton;

namespace mr420 {

// The sample text "0123456789." centred in its box; reports clicks.
class FontSample : public QLabel {
    Q_OBJECT
public:
    explicit FontSample(QWidget* parent = nullptr);

    // Shows the text in `font`. The box is 170 x 30 dialog units and grows,
    // up to three times that, so that a large font still shows the whole text.
    void setSampleFont(const QFont& font);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    bool pressed_ = false;
};

class FontsDialog : public QDialog {
    Q_OBJECT
public:
    FontsDialog(const PaneSet& panes, PaneChooser& chooser, QWidget* parent = nullptr);

    FontSample* sample(int channel) const { return samples_[std::size_t(channel)]; }
    // A sample by its control id, nullptr for another id.
    FontSample* sampleById(int id) const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    PaneSet panes_;
    PaneChooser& chooser_;
    std::array<FontSample*, 6> samples_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The "Czcionki" command: remembers the six logical fonts, runs the dialog
// and, unless it ends with OK, recreates every pane's value font from the
// remembered one. True when the dialog ended with OK.
bool runFontsCommand(const PaneSet& panes, PaneChooser& chooser, QWidget* parent);

}  // namespace mr420
