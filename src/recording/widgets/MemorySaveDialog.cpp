#include "recording/widgets/MemorySaveDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WindowFit.h"
#include "recording/MeasurementFile.h"
#include "recording/widgets/RegistrationStrings.h"

namespace mr420 {

namespace {

QString boxText(const std::string& utf8) {
    return QString::fromStdString(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string localPath(const QString& text) { return QFile::encodeName(text).toStdString(); }

}  // namespace

MemorySaveDialog::MemorySaveDialog(std::vector<MemoryRecord> records, long panelSerialNumber, MessageBoxes& boxes,
                                   FileChooser chooser, QWidget* parent)
    : QDialog(parent), records_(std::move(records)), panelSerialNumber_(panelSerialNumber), boxes_(boxes),
      chooser_(std::move(chooser)) {
    setWindowTitle(tr("Zapisz jako"));
    openWideEnough(this);
    setModal(true);
    // 275 dialog units wide: a quarter of the average character per unit.
    setMinimumWidth(fontMetrics().averageCharWidth() * 275 / 4);
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("W pliku"), this));
    fileEdit_ = new QLineEdit(this);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    browse_->setAutoDefault(false);
    browse_->setFixedWidth(browse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(browse_);
    layout->addLayout(fileRow);

    binaryNote_ = new QLabel(tr("Plik zostanie zapisany w formacie 'qvg' (używany przez program Vimo)"), this);
    binaryNote_->setWordWrap(true);
    layout->addWidget(binaryNote_);

    auto* sepRow = new QHBoxLayout;
    sepRow->addWidget(new QLabel(tr("Separator kolumn:"), this));
    auto* sepGroup = new QButtonGroup(this);
    const std::array<QString, 3> sepTexts{tr("Tabulator"), tr("Przecinek"), tr("Średnik")};
    for (std::size_t i = 0; i < sep_.size(); ++i) {
        sep_[i] = new QRadioButton(sepTexts[i], this);
        sepGroup->addButton(sep_[i], static_cast<int>(i));
        sepRow->addWidget(sep_[i]);
    }
    sepRow->addStretch();
    layout->addLayout(sepRow);

    comment_ = new QCheckBox(tr("Dodaj komentarz"), this);
    layout->addWidget(comment_);
    commentEdit_ = new QPlainTextEdit(this);
    commentEdit_->setTabChangesFocus(true);
    commentEdit_->setFixedHeight(commentEdit_->fontMetrics().lineSpacing() * 4 + 12);
    layout->addWidget(commentEdit_);
    serial_ = new QCheckBox(tr("Dodaj numer seryjny panelu do komentarza"), this);
    layout->addWidget(serial_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(tr("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(tr("Anuluj"), this);
    cancel_->setAutoDefault(false);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    // Nothing of this dialog is kept between showings: no name, TAB, both
    // boxes unchecked.
    sep_[0]->setChecked(true);
    updateMode();

    connect(fileEdit_, &QLineEdit::textChanged, this, &MemorySaveDialog::updateMode);
    connect(fileEdit_, &QLineEdit::editingFinished, this, &MemorySaveDialog::updateMode);
    connect(browse_, &QPushButton::clicked, this, &MemorySaveDialog::browse);
    connect(ok_, &QPushButton::clicked, this, &MemorySaveDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

FileRequest MemorySaveDialog::fileRequest() const {
    FileRequest r;
    r.title = tr("Wybierz plik raportu");
    for (const FileFilter& f : parseFileFilters(str(kMemoryFileFilters))) {
        r.filters << QString::fromStdString(f.label);
        r.suffixes << QString::fromStdString(f.extension);
    }
    r.defaultSuffix = QString::fromLatin1(kMemoryDefaultExtension);
    r.currentPath = fileEdit_->text();
    return r;
}

MemorySaveOptions MemorySaveDialog::options() const {
    MemorySaveOptions o;
    for (std::size_t i = 0; i < sep_.size(); ++i)
        if (sep_[i]->isChecked()) o.separator = static_cast<int>(i);
    o.addComment = comment_->isChecked();
    o.comment = commentEdit_->toPlainText().toStdString();
    o.addSerialNumber = serial_->isChecked();
    o.panelSerialNumber = panelSerialNumber_;
    return o;
}

void MemorySaveDialog::updateMode() {
    binary_ = isMeasurementFileName(localPath(fileEdit_->text()));
    binaryNote_->setVisible(binary_);
    // The note's lines come on top of the fixed-height comment box: the
    // dialog grows to hold them, or the boxes below would overlap.
    if (binary_ && isVisible() && layout()) {
        layout()->activate();
        const int needed = heightForWidth(width());
        if (needed > height()) resize(width(), needed);
    }
    for (QRadioButton* r : sep_) r->setEnabled(!binary_);
    comment_->setEnabled(!binary_);
    commentEdit_->setEnabled(!binary_);
    serial_->setEnabled(!binary_);
}

void MemorySaveDialog::browse() {
    if (!chooser_) return;
    const FileChoice choice = chooser_(this, fileRequest());
    if (choice.path.isEmpty()) return;
    const std::string path = withMemoryExtension(localPath(choice.path), choice.filterIndex);
    fileEdit_->setText(QFile::decodeName(QByteArray::fromStdString(path)));
    updateMode();
}

void MemorySaveDialog::accept() {
    updateMode();
    // Yes appends, No empties the file; "Anuluj", Escape and the close box
    // leave it as it is and come back here for another name.
    const MemorySaveResult result = saveMemoryFileAsking(
        localPath(fileEdit_->text()), records_, options(),
        [this] {
            switch (boxes_.askOrCancel(this, registrationString(kMsgMemoryFileExists))) {
            case BoxAnswer::Yes: return ExistingFile::Append;
            case BoxAnswer::No: return ExistingFile::Empty;
            default: return ExistingFile::Cancel;
            }
        },
        memorySaveTextsFromStringTable());
    if (result.status == MemorySaveResult::Status::Cancelled) return;
    if (!result.saved()) {
        boxes_.show(this, boxText(memorySaveFailureText(result)), BoxButtons::Ok, BoxIcon::Warning);
        return;
    }
    savedPath_ = QFileInfo(fileEdit_->text()).absoluteFilePath();
    QDialog::accept();
}

bool saveMemory(QWidget* parent, const std::vector<MemoryRecord>& records, long panelSerialNumber,
                MessageBoxes& boxes, FileChooser chooser, const MemorySaveRunner& run, QString* savedPath) {
    MemorySaveDialog dialog(records, panelSerialNumber, boxes, std::move(chooser), parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return false;
    if (savedPath) *savedPath = dialog.savedPath();
    return true;
}

}  // namespace mr420
