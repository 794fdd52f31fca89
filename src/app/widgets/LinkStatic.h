#pragma once
// A text (or picture) that opens a target when clicked: underlined, blue
// until the target has once been opened, purple after that, the highlight
// colour while the mouse is over it; a hand cursor and the target as tooltip;
// sized to its text. A target that cannot be opened gives a beep and a
// message with the reason.

#include <QColor>
#include <QLabel>
#include <QString>

#include <functional>

namespace mr420 {

class MessageBoxes;

// Opens a target: a URL with a scheme, or a file path. Returns a result in
// the shell's numbering (above 32 = opened; see app/Hyperlink.h). Tests
// replace it.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual int open(const QString& target) = 0;
};

// The desktop's handler (QDesktopServices): a file is checked first, so that a
// missing file or folder gets its own reason; a target nothing opens counts as
// having no associated application.
LinkOpener& desktopLinkOpener();

// The message box and beep of a failed open.
void reportLinkFailure(QWidget* parent, int code, MessageBoxes& boxes, const std::function<void()>& beep = {});

class LinkStatic : public QLabel {
    Q_OBJECT
public:
    // The target defaults to the text.
    explicit LinkStatic(const QString& text = QString(), QWidget* parent = nullptr);

    // Stores the target, refits the control and updates the tooltip.
    void setTarget(const QString& target);
    QString target() const { return target_.isEmpty() ? text() : target_; }

    // Who opens, who shows the failure and what beeps (defaults: the desktop,
    // Qt message boxes, QApplication::beep).
    void setOpener(LinkOpener* opener);
    void setMessageBoxes(MessageBoxes* boxes);
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    bool visited() const { return visited_; }
    bool hovering() const { return hovering_; }
    // The colour the text is drawn in now.
    QColor currentColour() const;

    QColor linkColour{0, 0, 238};
    QColor visitedColour{85, 26, 139};
    QColor hoverColour;  // the highlight colour of the palette at construction

    // Opens the target as a click does; the result code.
    int activate();

signals:
    void opened();

protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    void applyColour();
    void fit();

    QString target_;
    LinkOpener* opener_ = nullptr;
    MessageBoxes* boxes_ = nullptr;
    std::function<void()> beep_;
    bool visited_ = false;
    bool hovering_ = false;
    bool pressed_ = false;
};

}  // namespace mr420
