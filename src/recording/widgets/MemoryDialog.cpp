#include "recording/widgets/MemoryDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"

namespace mr420 {

// --- the list ---------------------------------------------------------------------

MemoryListModel::MemoryListModel(const MemoryReadout& readout, QObject* parent)
    : QAbstractTableModel(parent), readout_(readout) {}

int MemoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(readout_.records().size());
}

int MemoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(readout_.columnTitles().size());
}

QVariant MemoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(readout_.cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
}

QVariant MemoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    const auto& titles = readout_.columnTitles();
    return section >= 0 && section < static_cast<int>(titles.size()) ? QString::fromStdString(titles[std::size_t(section)])
                                                                    : QVariant();
}

void MemoryListModel::reload() {
    beginResetModel();
    endResetModel();
}

// --- the dialog -------------------------------------------------------------------

MemoryDialog::MemoryDialog(MemoryReadout& readout, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      readout_(readout),
      boxes_(boxes),
      model_(readout) {
    setWindowTitle(tr("Pamięć"));
    openWideEnough(this);
    auto* layout = new QVBoxLayout(this);

    list_ = new QTableView(this);
    list_->setModel(&model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->setWordWrap(false);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->setMinimumSize(dluX(400), dluY(110));
    layout->addWidget(list_, 1);

    auto* waitRow = new QHBoxLayout;
    picture_ = new QLabel(this);
    picture_->setPixmap(panelPicture(QSize(dluX(42), dluY(27))));
    waitRow->addWidget(picture_);
    waitText_ = new QLabel(tr("Proszę czekać. Trwa odczyt zawartości pamięci."), this);
    waitRow->addWidget(waitText_, 1);
    layout->addLayout(waitRow);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    layout->addWidget(progress_);

    auto* bottom = new QHBoxLayout;
    usage_ = new QLabel(this);
    bottom->addWidget(usage_, 1);
    saveButton_ = new QPushButton(tr("Zapisz jako"), this);
    chartButton_ = new QPushButton(tr("Wykres"), this);
    chartButton_->setVisible(false);   // until a chart handler is set
    closeButton_ = new QPushButton(tr("Zamknij"), this);
    bottom->addWidget(chartButton_);
    bottom->addWidget(saveButton_);
    bottom->addWidget(closeButton_);
    layout->addLayout(bottom);

    connect(closeButton_, &QPushButton::clicked, this, &MemoryDialog::reject);
    connect(saveButton_, &QPushButton::clicked, this, [this] {
        if (save_) save_(this, readout_);
    });
    connect(chartButton_, &QPushButton::clicked, this, [this] {
        if (chart_) chart_(this, readout_);
    });
}

void MemoryDialog::setChartHandler(SaveHandler handler) {
    chart_ = std::move(handler);
    chartButton_->setVisible(static_cast<bool>(chart_));
}

void MemoryDialog::showReading(bool reading) {
    list_->setVisible(!reading);
    usage_->setVisible(!reading);
    saveButton_->setEnabled(!reading);
    chartButton_->setEnabled(!reading);
    progress_->setVisible(reading);
    waitText_->setVisible(reading);
    picture_->setVisible(reading);
}

void MemoryDialog::run(const MemoryReadoutOptions& options) {
    usage_->setText(tr("Zajęte miejsce w  pamięci: 0.0%"));
    closeButton_->setEnabled(true);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    showReading(true);
    model_.reload();
    static constexpr int kColumnWidths[] = {39, 105, 68, 68, 70, 70, 70, 70};
    readout_.start(*this, options);
    model_.reload();
    // At least the widths the list was drawn for; wider where this font's
    // title, date or error text needs it, so that no cell is cut.
    const QFontMetrics fm = list_->fontMetrics();
    const int padding = 2 * fm.averageCharWidth();
    const int errorWidth = fm.horizontalAdvance(QString::fromStdString(MemoryReadout::errorCellText())) + padding;
    int total = 0;
    for (int c = 0; c < model_.columnCount(); ++c) {
        int width = std::max(kColumnWidths[std::min(c, 7)], fm.horizontalAdvance(model_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) + padding);
        if (c == 1) width = std::max(width, fm.horizontalAdvance(QStringLiteral("2000-00-00 00:00")) + padding);
        if (c >= 2) width = std::max(width, errorWidth);
        list_->setColumnWidth(c, width);
        total += width;
    }
    list_->setMinimumWidth(total + list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth());
    exec();
    readout_.detach();
}

void MemoryDialog::setProgressRange(int blocks) { progress_->setRange(0, std::max(1, blocks)); }

void MemoryDialog::setProgress(int position) { progress_->setValue(std::min(position, progress_->maximum())); }

void MemoryDialog::showDecoded() {
    model_.reload();
    usage_->setText(QString::fromStdString(readout_.usageText()));
    showReading(false);
}

void MemoryDialog::showMessage(const UserMessage& message) { boxes_.show(this, message); }

void MemoryDialog::closeAsCancelled() {
    if (isVisible()) QDialog::reject();
}

void MemoryDialog::reject() {
    // While the blocks come, the read-out ends at the chain's next step,
    // which closes the dialog.
    if (readout_.reading()) {
        readout_.cancel();
        closeButton_->setEnabled(false);
        return;
    }
    QDialog::reject();
}

}  // namespace mr420
