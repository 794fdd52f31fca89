#include "ui/widgets/ValuePane.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace mr420 {

QFont fontFromLogical(const LogicalFont& lf) {
    QFont f(QString::fromStdString(lf.faceName));
    f.setStyleStrategy(QFont::PreferAntialias);
    int height = lf.height == 0 ? 16 : lf.height;
    if (height < 0) {
        // Negative: the character (em) height.
        f.setPixelSize(std::max(1, -height));
    } else {
        // Positive: the cell height (ascent + descent); scale the em height so
        // that this face's line comes out that tall.
        f.setPixelSize(std::max(1, height));
        const int cell = QFontMetrics(f).height();
        if (cell > 0) f.setPixelSize(std::max(1, static_cast<int>(std::lround(double(height) * height / cell))));
    }
    if (lf.weight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.weight, 1, 1000)));
    f.setItalic(lf.italic != 0);
    f.setUnderline(lf.underline != 0);
    f.setStrikeOut(lf.strikeOut != 0);
    return f;
}

LogicalFont logicalFromFont(const QFont& f, const LogicalFont& base) {
    LogicalFont lf = base;
    lf.faceName = f.family().toStdString();
    if (lf.faceName.size() > 31) lf.faceName.resize(31);
    lf.height = std::max(1, QFontMetrics(f).height());
    lf.weight = f.weight() == QFont::Normal ? 0 : f.weight();
    lf.italic = f.italic() ? 1 : 0;
    lf.underline = f.underline() ? 1 : 0;
    lf.strikeOut = f.strikeOut() ? 1 : 0;
    return lf;
}

QColor colourFromRgb(std::uint32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

std::uint32_t rgbFromColour(const QColor& c) {
    return std::uint32_t(c.red()) + 256u * std::uint32_t(c.green()) + 65536u * std::uint32_t(c.blue());
}

namespace {

class SystemPaneChooser : public PaneChooser {
public:
    bool chooseColour(QWidget* parent, QColor& colour) override {
        QColorDialog dialog(colour, parent);
        dialog.setOption(QColorDialog::DontUseNativeDialog, false);
        if (dialog.exec() != QDialog::Accepted) return false;
        colour = dialog.selectedColor();
        return true;
    }
    bool chooseFont(QWidget* parent, QFont& font) override {
        bool ok = false;
        QFont chosen = QFontDialog::getFont(&ok, font, parent, QString(), QFontDialog::ScalableFonts);
        if (ok) font = chosen;
        return ok;
    }
};

LogicalFont titleLogicalFont() {
    LogicalFont lf;
    lf.height = 20;
    return lf;
}

}  // namespace

PaneChooser& systemPaneChooser() {
    static SystemPaneChooser chooser;
    return chooser;
}

ValuePane::ValuePane(QWidget* parent) : QWidget(parent) {
    titleFont_ = fontFromLogical(titleLogicalFont());
    valueFont_ = fontFromLogical(valueLogFont);
    setFont(valueFont_);
    // Every pixel is painted from the off-screen copy: no erase by Qt.
    setAttribute(Qt::WA_OpaquePaintEvent);
    blinkTimer_.setInterval(kBlinkPeriodMs);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] { blinkTick(); });
}

ValuePane::~ValuePane() = default;

void ValuePane::setValue(double v) {
    if (v == rawValue_ && !noValue_) return;
    rawValue_ = v;
    noValue_ = false;
    repaintNow();
}

void ValuePane::setNoValue() {
    noValue_ = true;
    repaintNow();
}

void ValuePane::setKind(int sourceUnit, int displayKind, bool showUnit) {
    if (sourceUnit == sourceUnit_ && displayKind == displayKind_ && showUnit == showUnit_) return;
    sourceUnit_ = sourceUnit;
    displayKind_ = displayKind;
    showUnit_ = showUnit;
    repaintNow();
}

void ValuePane::setTwoDecimals(bool on) {
    if (on == twoDecimals_) return;
    twoDecimals_ = on;
    repaintNow();
}

void ValuePane::setBlinking(bool on) {
    if (on) {
        if (!blinkTimer_.isActive()) blinkTimer_.start();
        return;
    }
    if (blinkTimer_.isActive()) blinkTimer_.stop();
    if (blinkHidden_) {
        blinkHidden_ = false;
        repaintNow();
    }
}

void ValuePane::blinkTick() {
    blinkHidden_ = !blinkHidden_;
    repaintNow();
}

void ValuePane::setValueFont(const LogicalFont& font) {
    valueLogFont = font;
    valueFont_ = fontFromLogical(valueLogFont);
    setFont(valueFont_);
    repaintNow();
}

void ValuePane::chooseValueFont(PaneChooser& chooser) {
    QFont f = valueFont_;
    if (!chooser.chooseFont(this, f)) return;
    valueLogFont = logicalFromFont(f, valueLogFont);
    valueFont_ = f;
    setFont(valueFont_);
    repaintNow();
}

void ValuePane::chooseBackgroundColour(PaneChooser& chooser) {
    QColor c = backgroundColour;
    if (chooser.chooseColour(this, c)) backgroundColour = c;
    repaintNow();
}

void ValuePane::chooseTextColour(PaneChooser& chooser) {
    QColor c = textColour;
    if (chooser.chooseColour(this, c)) textColour = c;
    repaintNow();
}

void ValuePane::repaintNow() {
    if (isVisible()) {
        repaint();
    } else {
        // Not on screen: nothing to erase, but the text is still composed so
        // that readers of valueText see what would be shown.
        QImage scratch(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
        QPainter p(&scratch);
        paintInto(p, scratch.rect());
    }
}

QImage ValuePane::render() {
    QImage img(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    QPainter p(&img);
    paintInto(p, img.rect());
    return img;
}

double ValuePane::convertedValue(double raw, int sourceUnit, int displayKind) {
    if (sourceUnit == displayKind) return raw;
    if (sourceUnit == 1 && displayKind == 2) return raw * 0.6802721088435374;
    if (sourceUnit == 2 && displayKind == 1) return raw * 1.47;
    return raw;
}

int ValuePane::titleStripHeight() const {
    QFontMetrics fm(titleFont_);
    return fm.boundingRect(QRect(0, 0, 90, 20), Qt::AlignHCenter | Qt::TextSingleLine, title).height();
}

void ValuePane::paintEvent(QPaintEvent*) {
    QPixmap buffer(size() * devicePixelRatioF());
    buffer.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter bp(&buffer);
        paintInto(bp, rect());
    }
    QPainter p(this);
    p.drawPixmap(0, 0, buffer);
}

void ValuePane::paintInto(QPainter& p, const QRect& client) {
    ++paintCount_;
    displayValue_ = convertedValue(rawValue_, sourceUnit_, displayKind_);
    p.fillRect(client, backgroundColour);

    // Title strip: one line of the title font, full width, inverse colours.
    p.setFont(titleFont_);
    QRect strip = p.boundingRect(QRect(0, 0, 90, 20), Qt::AlignHCenter | Qt::TextSingleLine, title);
    strip.setLeft(0);
    strip.setRight(client.right());
    strip.setTop(0);
    p.fillRect(strip, textColour);
    p.setPen(backgroundColour);
    p.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, title);

    if (blinkHidden_) return;

    QRect area = client;
    area.setTop(strip.bottom() + 1);
    p.setFont(valueFont_);
    p.setPen(textColour);

    if (noValue_) {
        p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("???"));
        return;
    }
    if (displayKind_ < 1 || displayKind_ > 8 || !formatter_) return;
    const PaneText t = formatter_(displayValue_, displayKind_, showUnit_, twoDecimals_);
    valueText_ = t.text;
    if (!t.raisedTwo || t.text.isEmpty()) {
        p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, t.text);
        return;
    }
    // The raised "2": measure the whole text, centre a box of that size, draw
    // all but the last character in it, then the "2" about a quarter of the
    // text height above the line.
    QRect measured = p.boundingRect(QRect(), Qt::TextSingleLine, t.text);
    QRect box(0, 0, measured.width(), measured.height());
    box.moveCenter(area.center());
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, t.text.left(t.text.size() - 1));
    const int h = measured.height();
    const int centre = area.top() + area.height() / 2;
    const int right = box.left() + box.width();
    QRect two(QPoint(right - 200, centre - 6 * h / 8), QPoint(right + 193, centre + 2 * h / 8));
    p.drawText(two, Qt::AlignCenter | Qt::TextSingleLine, t.text.right(1));
}

}  // namespace mr420
