#pragma once
// The custom-drawn pane that shows one channel: a title strip in inverse
// colours across the top and the value with its unit in a large font below.
// The pane never reads the panel state; the main window feeds it.
//
// All drawing goes to an off-screen pixmap first and reaches the screen in one
// copy, so the twice-a-second blinking and the per-reply updates do not flicker.

#include <QColor>
#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/ValuePaneModel.h"
#include "ui/widgets/LogicalFont.h"

namespace mr420 {

QFont fontFromLogical(const LogicalFont&);
// The chosen font written back into the fields a logical font keeps (the
// height as a cell height in pixels).
LogicalFont logicalFromFont(const QFont&, const LogicalFont& base);

// Colours in the settings' form: red + 256 * green + 65536 * blue.
QColor colourFromRgb(std::uint32_t rgb);
std::uint32_t rgbFromColour(const QColor&);

// Colour and font choices; tests replace them with scripted answers.
class PaneChooser {
public:
    virtual ~PaneChooser() = default;
    // False on Cancel.
    virtual bool chooseColour(QWidget* parent, QColor& colour) = 0;
    virtual bool chooseFont(QWidget* parent, QFont& font) = 0;
};

// The system dialogs (colour dialog with its custom part; scalable screen fonts).
PaneChooser& systemPaneChooser();

class ValuePane : public QWidget, public ValuePaneListener {
    Q_OBJECT
public:
    // Binds to `model` (which must outlive the pane); without one the pane
    // keeps a model of its own.
    explicit ValuePane(ValuePaneModel* model = nullptr, QWidget* parent = nullptr);
    ~ValuePane() override;

    ValuePaneModel& model() { return *model_; }
    const ValuePaneModel& model() const { return *model_; }

    // The model's operations, for the owner's convenience.
    void setValue(double v) { model_->setValue(v); }
    void setNoValue() { model_->setNoValue(); }
    void setKind(int sourceUnit, int displayKind, bool showUnit) { model_->setKind(sourceUnit, displayKind, showUnit); }
    void setTwoDecimals(bool on) { model_->setTwoDecimals(on); }
    void setBlinking(bool on) { model_->setBlinking(on); }

    void setValueFont(const LogicalFont& font);
    void chooseValueFont(PaneChooser& chooser = systemPaneChooser());
    void chooseBackgroundColour(PaneChooser& chooser = systemPaneChooser());
    void chooseTextColour(PaneChooser& chooser = systemPaneChooser());

    // Owner-side fields: writing them does not repaint.
    QColor textColour{0, 64, 128};
    QColor backgroundColour{202, 228, 255};
    LogicalFont valueLogFont;

    bool isBlinking() const { return blinkTimer_.isActive(); }
    // The text last drawn in the value area (kept after painting).
    const QString& valueText() const { return valueText_; }
    const QFont& valueFont() const { return valueFont_; }
    // Room for the title strip and the widest value of the pane's kind.
    QSize minimumSizeHint() const override;
    QString title() const;
    // Height of the title strip for the current title and title font.
    int titleStripHeight() const;

    // Paint passes so far (tests check that unchanged values skip the repaint).
    int paintCount() const { return paintCount_; }

    // ValuePaneListener: invalidate, erase and paint before returning; the blink timer.
    void repaintNow() override;
    void startBlinkTimer() override;
    void stopBlinkTimer() override;

    // The pane as it would be painted now, at its current size.
    QImage render();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void paintInto(QPainter& p, const QRect& r);
    void keepValueText();

    std::unique_ptr<ValuePaneModel> ownModel_;
    ValuePaneModel* model_;
    QString valueText_;
    QTimer blinkTimer_;
    QFont valueFont_;
    QFont titleFont_;
    int paintCount_ = 0;
};

}  // namespace mr420
