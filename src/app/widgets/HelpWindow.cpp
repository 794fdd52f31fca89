#include "app/widgets/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/Hyperlink.h"
#include "app/widgets/LinkStatic.h"

namespace mr420 {

namespace {

std::string localPath(const QUrl& url) { return QFile::encodeName(url.toLocalFile()).toStdString(); }

// The look of the pages as far as a text browser draws it: the pages' own
// stylesheet asks for what only a web browser has (widths, shadows, floats).
const char* const kPageStyle =
    "h1, h2 { color: #003f7f; } h2 { margin-top: 18px; }"
    "a { color: #0645ad; }"
    "code, kbd, pre { font-family: monospace; background-color: #f2f4f7; }"
    "table { border-collapse: collapse; margin-top: 8px; margin-bottom: 8px; }"
    "th, td { border: 1px solid #c8d4e0; padding: 3px 6px; }"
    "th { background-color: #eaf1f8; }"
    ".top { margin-bottom: 10px; }"
    ".figure { margin-top: 10px; margin-bottom: 14px; }"
    ".figcaption { color: #4a4a4a; }"
    ".menu { font-weight: bold; }"
    ".note { background-color: #fff8e1; }";

// The pages' HTML5 sections become the blocks a text browser knows, so
// that a figure's picture stands on its own line above its caption.
QString forTextBrowser(QString html) {
    static const std::pair<const char*, const char*> kBlocks[] = {
        {"<figure>", "<div class=\"figure\">"}, {"</figure>", "</div>"},
        {"<figcaption>", "<p class=\"figcaption\">"}, {"</figcaption>", "</p>"},
        {"<nav ", "<div "}, {"</nav>", "</div>"}, {"<main>", "<div>"}, {"</main>", "</div>"},
    };
    for (const auto& [from, to] : kBlocks) html.replace(QLatin1String(from), QLatin1String(to));
    return html;
}

// The text browser of the help window: pages read as UTF-8 and adapted.
class PageBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override {
        const QVariant data = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || data.userType() != QMetaType::QByteArray) return data;
        return forTextBrowser(QString::fromUtf8(data.toByteArray()));
    }
};

}  // namespace

HelpWindow::HelpWindow(LinkOpener& opener, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), opener_(&opener), boxes_(&boxes) {
    setWindowTitle(tr("Pomoc"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    back_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), tr("Wstecz"), this);
    forward_ = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), tr("Dalej"), this);
    contents_ = new QPushButton(tr("Spis treści"), this);
    external_ = new QPushButton(tr("Otwórz w przeglądarce"), this);
    for (QPushButton* b : {back_, forward_, contents_}) bar->addWidget(b);
    bar->addStretch();
    bar->addWidget(external_);
    layout->addLayout(bar);
    browser_ = new PageBrowser(this);
    browser_->document()->setDefaultStyleSheet(QString::fromLatin1(kPageStyle));
    // Every link comes through follow(): pages here, the rest to the desktop.
    browser_->setOpenLinks(false);
    layout->addWidget(browser_, 1);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::updateTitle);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents_, &QPushButton::clicked, this, [this] { browser_->setSource(home_); });
    connect(external_, &QPushButton::clicked, this, &HelpWindow::openInBrowser);

    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableSize() : QSize(1024, 768);
    resize(std::min(screen.width() * 9 / 10, fontMetrics().averageCharWidth() * 110),
           std::min(screen.height() * 9 / 10, fontMetrics().lineSpacing() * 40));
}

void HelpWindow::setOpener(LinkOpener& opener, MessageBoxes& boxes) {
    opener_ = &opener;
    boxes_ = &boxes;
}

void HelpWindow::showPage(const QString& path) {
    const int hash = path.indexOf(QLatin1Char('#'));
    QUrl page = QUrl::fromLocalFile(hash < 0 ? path : path.left(hash));
    if (hash >= 0) page.setFragment(path.mid(hash + 1));
    home_ = page;
    browser_->setSource(page);
    show();
    raise();
    activateWindow();
}

void HelpWindow::follow(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    if (!target.isLocalFile()) {
        const int code = opener_->open(target.toString());
        if (!linkOpened(code)) reportLinkFailure(this, code, *boxes_);
        return;
    }
    if (const auto failure = fileTargetFailure(localPath(target))) {
        reportLinkFailure(this, *failure, *boxes_);
        return;
    }
    browser_->setSource(target);
}

int HelpWindow::openInBrowser() {
    const int code = opener_->open(browser_->source().toLocalFile());
    if (!linkOpened(code)) reportLinkFailure(this, code, *boxes_);
    return code;
}

void HelpWindow::updateTitle() {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Pomoc") : title);
}

HelpWindow& helpWindowFor(QWidget* parent, LinkOpener& opener, MessageBoxes& boxes) {
    static QPointer<HelpWindow> programWide;
    // A modal dialog blocks every window but its own: help asked for while
    // one is open belongs to it.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && parent) owner = parent->window();
    HelpWindow* window = owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : programWide.data();
    if (!window) {
        window = new HelpWindow(opener, boxes, owner);
        if (!owner) {
            window->setAttribute(Qt::WA_DeleteOnClose);
            programWide = window;
        }
    }
    window->setOpener(opener, boxes);
    return *window;
}

}  // namespace mr420
