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
#include <string>

namespace mr420 {

// The fields of a logical font description that the pane keeps.
struct LogicalFont {
    std::int32_t height = 60;  // positive: cell height in pixels; negative: character height
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;  // 0 = default weight, else 1..1000
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 238;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName = "Arial";  // at most 31 bytes
    bool operator==(const LogicalFont&) const = default;
};

QFont fontFromLogical(const LogicalFont&);
// The chosen font written back into the fields a logical font keeps (the
// height as a cell height in pixels).
LogicalFont logicalFromFont(const QFont&, const LogicalFont& base);

// Colours in the settings' form: red + 256 * green + 65536 * blue.
QColor colourFromRgb(std::uint32_t rgb);
std::uint32_t rgbFromColour(const QColor&);

// What the value area shows: a text, and whether its last character is the
// raised "2" of W/m2 (drawn apart, above the line).
struct PaneText {
    QString text;
    bool raisedTwo = false;
};

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

class ValuePane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBlinkTimerId = 1052;
    static constexpr int kBlinkPeriodMs = 500;

    explicit ValuePane(QWidget* parent = nullptr);
    ~ValuePane() override;

    // Formats the value for the display kind (see ValuePaneModel). Without a
    // formatter no number is drawn, only "???" while there is no value.
    using Formatter = std::function<PaneText(double displayValue, int displayKind, bool showUnit, bool twoDecimals)>;
    void setFormatter(Formatter f) { formatter_ = std::move(f); }

    void setValue(double v);
    void setNoValue();
    void setKind(int sourceUnit, int displayKind, bool showUnit);
    void setTwoDecimals(bool on);
    void setBlinking(bool on);
    void setValueFont(const LogicalFont& font);
    void chooseValueFont(PaneChooser& chooser = systemPaneChooser());
    void chooseBackgroundColour(PaneChooser& chooser = systemPaneChooser());
    void chooseTextColour(PaneChooser& chooser = systemPaneChooser());

    // Owner-side fields: writing them does not repaint.
    QString title;
    QColor textColour{0, 64, 128};
    QColor backgroundColour{202, 228, 255};
    LogicalFont valueLogFont;

    double rawValue() const { return rawValue_; }
    double displayValue() const { return displayValue_; }
    bool noValue() const { return noValue_; }
    int sourceUnit() const { return sourceUnit_; }
    int displayKind() const { return displayKind_; }
    bool showUnit() const { return showUnit_; }
    bool twoDecimals() const { return twoDecimals_; }
    bool isBlinking() const { return blinkTimer_.isActive(); }
    bool blinkHidden() const { return blinkHidden_; }
    const QString& valueText() const { return valueText_; }
    const QFont& valueFont() const { return valueFont_; }
    const QFont& titleFont() const { return titleFont_; }
    // Height of the title strip for the current title font.
    int titleStripHeight() const;

    // Paint passes so far (tests check that unchanged values skip the repaint).
    int paintCount() const { return paintCount_; }

    // Invalidate, erase and paint before returning.
    void repaintNow();

    // The pane as it would be painted now, at its current size.
    QImage render();

    // rawValue after the unit conversion of the display kind.
    static double convertedValue(double raw, int sourceUnit, int displayKind);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void paintInto(QPainter& p, const QRect& r);
    void blinkTick();

    Formatter formatter_;
    QString valueText_;
    bool twoDecimals_ = false;
    QTimer blinkTimer_;
    bool blinkHidden_ = false;
    QFont valueFont_;
    QFont titleFont_;
    bool showUnit_ = true;
    double displayValue_ = 0;
    double rawValue_ = 0;
    bool noValue_ = true;
    int sourceUnit_ = 0;
    int displayKind_ = 0;
    int paintCount_ = 0;
};

}  // namespace mr420
