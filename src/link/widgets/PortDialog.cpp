#include "link/widgets/PortDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WindowFit.h"
#include "link/PortDiscovery.h"

namespace mr420 {

namespace {
QString t(const char* text) { return QCoreApplication::translate("PortDialog", text); }
}  // namespace

PortEntrySource systemPortEntries(const std::map<int, std::string>& aliases) {
    return [aliases] { return portEntries(portListText(discoverPorts(aliases))); };
}

PortSearchWindow::PortSearchWindow(PortEntrySource source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
    setWindowTitle(QStringLiteral("MR420"));
    openWideEnough(this);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(t("Proszę czekać"), this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    cancel_ = new QPushButton(t("Anuluj"), this);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

PortSearchWindow::~PortSearchWindow() = default;

std::vector<std::string> PortSearchWindow::run() {
    // The worker alone writes `entries` until `done`; the UI thread reads it
    // only after joining.
    std::vector<std::string> entries;
    std::atomic<bool> done{false};
    std::thread worker([this, &entries, &done] {
        if (source_) entries = source_();
        done = true;
        QMetaObject::invokeMethod(this, [this] { accept(); }, Qt::QueuedConnection);
    });
    if (!done) exec();
    // Cancelled before the end, or the close request still queued: wait for
    // the worker while the window's events go on.
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    // Drop the worker's close request if it is still queued.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    return entries;
}

PortDialog::PortDialog(int currentPort, const std::vector<std::string>& entries, MessageBoxes& boxes,
                       QWidget* parent)
    : QDialog(parent), boxes_(boxes) {
    setWindowTitle(t("Porty"));
    openWideEnough(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(t("Wybierz port:"), this));
    list_ = new QComboBox(this);
    list_->setMinimumContentsLength(28);
    layout->addWidget(list_);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(t("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(t("Anuluj"), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &PortDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    if (currentPort > 0) status_->setText(t("Aktualnie używany port: COM%1").arg(currentPort));
    else status_->setText(t("Aktualnie żaden port nie jest używany"));

    int select = -1;
    for (const std::string& e : entries) {
        list_->addItem(QString::fromStdString(e));
        if (currentPort > 0 && select < 0 && comNumberFromEntry(e) == currentPort) select = list_->count() - 1;
    }
    list_->setCurrentIndex(select);
}

void PortDialog::accept() {
    const int n = list_->currentIndex() < 0 ? 0 : comNumberFromEntry(list_->currentText().toStdString());
    if (n <= 0) {
        boxes_.information(this, t("Nie wybrano żadnego portu."));
        return;
    }
    chosen_ = n;
    QDialog::accept();
}

int choosePortNumber(QWidget* parent, int currentPort, const PortEntrySource& source, MessageBoxes& boxes) {
    std::vector<std::string> entries;
    {
        PortSearchWindow search(source, parent);
        entries = search.run();
    }
    PortDialog dialog(currentPort, entries, boxes, parent);
    if (dialog.exec() != QDialog::Accepted) return 0;
    return dialog.chosenPort();
}

}  // namespace mr420
