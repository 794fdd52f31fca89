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

ValuePane::ValuePane(ValuePaneModel* model, QWidget* parent) : QWidget(parent), model_(model) {
    if (!model_) {
        ownModel_ = std::make_unique<ValuePaneModel>();
        model_ = ownModel_.get();
    }
    model_->setListener(this);
    titleFont_ = fontFromLogical(titleLogicalFont());
    valueFont_ = fontFromLogical(valueLogFont);
    setFont(valueFont_);
    // Every pixel is painted from the off-screen copy: no erase by Qt.
    setAttribute(Qt::WA_OpaquePaintEvent);
    blinkTimer_.setInterval(kBlinkPeriodMs);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] { model_->blinkTick(); });
}

ValuePane::~ValuePane() { model_->setListener(nullptr); }

void ValuePane::startBlinkTimer() {
    if (!blinkTimer_.isActive()) blinkTimer_.start();
}

void ValuePane::stopBlinkTimer() { blinkTimer_.stop(); }

QString ValuePane::title() const { return QString::fromStdString(model_->title); }

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
    keepValueText();
    // A hidden pane paints nothing; it is painted when it is shown again.
    if (isVisible()) repaint();
}

void ValuePane::keepValueText() {
    // Only a formatted value replaces the kept text (an unknown kind formats nothing).
    if (model_->hasValue && model_->displayKind >= 1 && model_->displayKind <= 8)
        valueText_ = QString::fromStdString(model_->valueDisplay().joined());
}

QImage ValuePane::render() {
    QImage img(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    QPainter p(&img);
    paintInto(p, img.rect());
    return img;
}

QSize ValuePane::minimumSizeHint() const {
    const QFontMetrics values(valueFont_);
    int widest = values.horizontalAdvance(QString::fromLatin1(kNoValueText));
    // Wide digits in the most places a reading of this kind takes.
    double sample = 888.8;
    switch (model_->displayKind) {
    case display_kind::kTemperature: sample = -88.88; break;
    case display_kind::kHumidity: sample = 88.8; break;
    case display_kind::kPressure: sample = 8888.8; break;
    case display_kind::kPpm: sample = 88888; break;
    default: break;
    }
    const PaneValueText t = formatPaneValue(model_->displayKind, sample, model_->showUnit, model_->twoDecimals);
    widest = std::max(widest, values.horizontalAdvance(QString::fromStdString(t.joined())));
    const QFontMetrics titles(titleFont_);
    widest = std::max(widest, titles.horizontalAdvance(title()));
    return {widest, titleStripHeight() + values.height()};
}

int ValuePane::titleStripHeight() const {
    QFontMetrics fm(titleFont_);
    return fm.boundingRect(QRect(0, 0, 90, 20), Qt::AlignHCenter | Qt::TextSingleLine, title()).height();
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
    p.fillRect(client, backgroundColour);

    // Title strip: one line of the title font, full width, inverse colours.
    const QString caption = title();
    p.setFont(titleFont_);
    QRect strip = p.boundingRect(QRect(0, 0, 90, 20), Qt::AlignHCenter | Qt::TextSingleLine, caption);
    strip.setLeft(0);
    strip.setRight(client.right());
    strip.setTop(0);
    p.fillRect(strip, textColour);
    p.setPen(backgroundColour);
    p.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, caption);

    if (model_->blinkHidden) return;

    QRect area = client;
    area.setTop(strip.bottom() + 1);
    p.setFont(valueFont_);
    p.setPen(textColour);

    const PaneValueText t = model_->valueDisplay();
    const QString text = QString::fromStdString(t.text);
    keepValueText();
    if (t.superscript.empty()) {
        p.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text);
        return;
    }
    // The raised "2": measure the whole text, centre a box of that size, draw
    // the text without it left-aligned in the box, then the "2" centred on the
    // box's right edge, about a quarter of the text height above the line.
    const QString sup = QString::fromStdString(t.superscript);
    QRect measured = p.boundingRect(QRect(), Qt::TextSingleLine, text + sup);
    QRect box(0, 0, measured.width(), measured.height());
    box.moveCenter(area.center());
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    const int h = measured.height();
    const int centre = area.top() + area.height() / 2;
    const int right = box.left() + box.width();
    QRect two(QPoint(right - 200, centre - 6 * h / 8), QPoint(right + 193, centre + 2 * h / 8));
    p.drawText(two, Qt::AlignCenter | Qt::TextSingleLine, sup);
}

}  // namespace mr420
