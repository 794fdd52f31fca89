#include "app/widgets/LinkStatic.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>
#include <QUrl>

#include "app/Hyperlink.h"
#include "base/widgets/MessageBoxes.h"

namespace mr420 {

namespace {

class DesktopLinkOpener : public LinkOpener {
public:
    int open(const QString& target) override {
        const std::string t = target.toStdString();
        QUrl url;
        if (targetHasScheme(t))
            url = QUrl(target);
        else
            url = QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
        if (url.isLocalFile()) {
            if (auto failure = fileTargetFailure(url.toLocalFile().toStdString())) return *failure;
        }
        if (!url.isValid()) return link_result::kFileNotFound;
        return QDesktopServices::openUrl(url) ? link_result::kOpened : link_result::kNoAssociation;
    }
};

MessageBoxes& defaultBoxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

}  // namespace

LinkOpener& desktopLinkOpener() {
    static DesktopLinkOpener opener;
    return opener;
}

void reportLinkFailure(QWidget* parent, int code, MessageBoxes& boxes, const std::function<void()>& beep) {
    if (beep)
        beep();
    else
        QApplication::beep();
    boxes.show(parent, QString::fromStdString(hyperlinkFailureMessage(code)), BoxButtons::Ok, BoxIcon::Warning);
}

LinkStatic::LinkStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    hoverColour = palette().color(QPalette::Highlight);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setToolTip(target());
    applyColour();
    fit();
}

void LinkStatic::setTarget(const QString& target) {
    target_ = target;
    setToolTip(this->target());
    fit();
}

void LinkStatic::setOpener(LinkOpener* opener) { opener_ = opener; }
void LinkStatic::setMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes; }

QColor LinkStatic::currentColour() const {
    if (hovering_) return hoverColour;
    return visited_ ? visitedColour : linkColour;
}

void LinkStatic::applyColour() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, currentColour());
    setPalette(p);
    update();
}

void LinkStatic::fit() {
    // The control takes the size of its text (or picture) in the link font.
    adjustSize();
    updateGeometry();
}

int LinkStatic::activate() {
    LinkOpener& opener = opener_ ? *opener_ : desktopLinkOpener();
    const int code = opener.open(target());
    if (linkOpened(code)) {
        visited_ = true;
        applyColour();
        emit opened();
    } else {
        reportLinkFailure(this, code, boxes_ ? *boxes_ : defaultBoxes(), beep_);
    }
    return code;
}

void LinkStatic::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    e->accept();
}

void LinkStatic::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    e->accept();
    if (click) activate();
}

void LinkStatic::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    hovering_ = true;
    applyColour();
}

void LinkStatic::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    hovering_ = false;
    applyColour();
}

}  // namespace mr420
