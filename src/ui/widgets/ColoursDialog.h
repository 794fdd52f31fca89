#pragma once
// "Kolory": the background and text colour of each value pane, one row per
// channel with two swatches. A click on a swatch lets the pane choose its
// colour; the pane shows the choice at once.

#include <QDialog>

#include <array>

#include "ui/widgets/ValuePane.h"

class QPushButton;

namespace mr420 {

class ColourSwatch;

using PaneSet = std::array<ValuePane*, 6>;  // indexed by Channel

class ColoursDialog : public QDialog {
    Q_OBJECT
public:
    ColoursDialog(const PaneSet& panes, PaneChooser& chooser, QWidget* parent = nullptr);

    ColourSwatch* backgroundSwatch(int channel) const { return background_[std::size_t(channel)]; }
    ColourSwatch* textSwatch(int channel) const { return text_[std::size_t(channel)]; }
    // A swatch by its control id (1040 ... 1051), nullptr for another id.
    ColourSwatch* swatch(int id) const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    PaneSet panes_;
    PaneChooser& chooser_;
    std::array<ColourSwatch*, 6> background_{};
    std::array<ColourSwatch*, 6> text_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The "Kolory" command: remembers the twelve colours, runs the dialog and,
// unless it ends with OK, puts all twelve back and repaints the panes.
// True when the dialog ended with OK.
bool runColoursCommand(const PaneSet& panes, PaneChooser& chooser, QWidget* parent);

}  // namespace mr420
