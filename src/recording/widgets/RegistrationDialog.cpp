#include "recording/widgets/RegistrationDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WindowFit.h"
#include "recording/widgets/RegistrationStrings.h"

namespace mr420 {

namespace {

QString t(const char* text) { return QCoreApplication::translate("RegistrationDialog", text); }

}  // namespace

FileRequest textFileRequest(const QString& currentPath) {
    FileRequest r;
    r.title = t("Wybierz plik raportu");
    r.filters = QStringList{t("Plik tekstowy (*.txt)"), t("Lista CSV (*.csv)")};
    r.suffixes = QStringList{QStringLiteral("txt"), QStringLiteral("csv")};
    r.defaultSuffix = QStringLiteral("csv");
    r.currentPath = currentPath;
    return r;
}

FileRequest binaryFileRequest(const QString& currentPath) {
    FileRequest r;
    r.title = t("Wybierz plik binarny");
    r.filters = QStringList{t("Plik binarny (*.qvg)")};
    r.suffixes = QStringList{QStringLiteral("qvg")};
    r.defaultSuffix = QStringLiteral("qvg");
    r.currentPath = currentPath;
    return r;
}

FileChoice qtSaveFileChooser(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    if (!request.currentPath.isEmpty()) dialog.selectFile(request.currentPath);
    // A name typed without extension gets the one of the filter in use, as
    // the caller appends it afterwards; the overwrite prompt must see it too.
    auto suffixOf = [&request](const QString& filter) {
        qsizetype i = request.filters.indexOf(filter);
        return i >= 0 && i < request.suffixes.size() ? request.suffixes[i] : request.defaultSuffix;
    };
    if (!request.filters.isEmpty()) dialog.selectNameFilter(request.filters.front());
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    FileChoice choice;
    choice.path = dialog.selectedFiles().front();
    choice.filterIndex = static_cast<int>(std::max<qsizetype>(0, request.filters.indexOf(dialog.selectedNameFilter())));
    return choice;
}

RegistrationDialog::RegistrationDialog(const RegistrationSettings& settings, const QString& comment,
                                       MessageBoxes& boxes, FileChooser chooser, QWidget* parent)
    : QDialog(parent), base_(settings), boxes_(boxes), chooser_(std::move(chooser)) {
    setWindowTitle(t("Rejestracja do pliku"));
    openWideEnough(this);
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(t("Interwał rejestracji"), this));
    interval_ = new QTimeEdit(this);
    interval_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    interval_->setAlignment(Qt::AlignRight);
    interval_->setTimeRange(QTime(0, 0, 0), QTime(23, 59, 59));
    intervalRow->addWidget(interval_);
    intervalRow->addStretch();
    layout->addLayout(intervalRow);

    fileLog_ = new QCheckBox(t("Rejestruj wyniki pomiarów"), this);
    layout->addWidget(fileLog_);
    auto* fileRow = new QHBoxLayout;
    fileCaption_ = new QLabel(t("W pliku"), this);
    fileEdit_ = new QLineEdit(this);
    fileBrowse_ = new QPushButton(QStringLiteral("..."), this);
    fileBrowse_->setAutoDefault(false);
    fileBrowse_->setFixedWidth(fileBrowse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    fileRow->addWidget(fileCaption_);
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(fileBrowse_);
    layout->addLayout(fileRow);

    auto* sepRow = new QHBoxLayout;
    sepCaption_ = new QLabel(t("Separator kolumn:"), this);
    sepRow->addWidget(sepCaption_);
    auto* sepGroup = new QButtonGroup(this);
    const char* sepTexts[3] = {"Tabulator", "Przecinek", "Średnik"};
    for (int i = 0; i < 3; ++i) {
        sep_[static_cast<std::size_t>(i)] = new QRadioButton(t(sepTexts[i]), this);
        sepGroup->addButton(sep_[static_cast<std::size_t>(i)], i);
        sepRow->addWidget(sep_[static_cast<std::size_t>(i)]);
    }
    sepRow->addStretch();
    layout->addLayout(sepRow);

    comment_ = new QCheckBox(t("Dodaj komentarz przy rozpoczęciu rejestracji:"), this);
    layout->addWidget(comment_);
    commentEdit_ = new QPlainTextEdit(this);
    commentEdit_->setTabChangesFocus(true);
    commentEdit_->setFixedHeight(commentEdit_->fontMetrics().lineSpacing() * 4 + 12);
    layout->addWidget(commentEdit_);
    serial_ = new QCheckBox(t("Dodaj numer seryjny panelu do komentarza"), this);
    layout->addWidget(serial_);

    auto* group = new QGroupBox(t("Pomiar"), this);
    auto* grid = new QGridLayout(group);
    struct ChannelBox {
        Channel channel;
        const char* text;
    };
    const ChannelBox boxesInOrder[kChannelCount] = {
        {kChannelTemp1, "Temperatura 1"},       {kChannelTemp2, "Temperatura 2"},
        {kChannelRh, "Wilgotność względna"},    {kChannelDp, "Punkt rosy"},
        {kChannelWb, "Zawartość pary wodnej"}, {kChannelPressure, "Ciśnienie"},
    };
    for (int i = 0; i < kChannelCount; ++i) {
        auto* box = new QCheckBox(t(boxesInOrder[i].text), group);
        channels_[static_cast<std::size_t>(boxesInOrder[i].channel)] = box;
        grid->addWidget(box, i % 3, i / 3);
    }
    layout->addWidget(group);

    fileLogBin_ = new QCheckBox(t("Rejestruj do pliku binarnego (używany do rysowania wykresu)"), this);
    layout->addWidget(fileLogBin_);
    auto* binRow = new QHBoxLayout;
    binCaption_ = new QLabel(t("W pliku"), this);
    binEdit_ = new QLineEdit(this);
    binBrowse_ = new QPushButton(QStringLiteral("..."), this);
    binBrowse_->setAutoDefault(false);
    binBrowse_->setFixedWidth(binBrowse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    binRow->addWidget(binCaption_);
    binRow->addWidget(binEdit_, 1);
    binRow->addWidget(binBrowse_);
    layout->addLayout(binRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(t("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(t("Anuluj"), this);
    cancel_->setAutoDefault(false);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    // Fill from the settings.
    const PickerTime p = pickerTimeOf(settings.interval);
    interval_->setTime(QTime(p.hours, p.minutes, p.seconds));
    fileLog_->setChecked(settings.fileLog);
    fileEdit_->setText(QString::fromStdString(settings.fileName));
    const int sep = settings.sepFormat >= 0 && settings.sepFormat <= 2 ? settings.sepFormat : 0;
    sep_[static_cast<std::size_t>(sep)]->setChecked(true);
    comment_->setChecked(settings.checkComment);
    commentEdit_->setPlainText(comment);
    serial_->setChecked(settings.checkCommentSn);
    for (int c = 0; c < kChannelCount; ++c)
        channels_[static_cast<std::size_t>(c)]->setChecked(settings.fileChannels[static_cast<std::size_t>(c)]);
    fileLogBin_->setChecked(settings.fileLogBin);
    binEdit_->setText(QString::fromStdString(settings.fileNameBin));
    updateEnabling();

    connect(fileLog_, &QCheckBox::toggled, this, &RegistrationDialog::updateEnabling);
    connect(comment_, &QCheckBox::toggled, this, &RegistrationDialog::updateEnabling);
    connect(fileLogBin_, &QCheckBox::toggled, this, &RegistrationDialog::updateEnabling);
    connect(interval_, &QTimeEdit::editingFinished, this, &RegistrationDialog::applyPickerRule);
    connect(fileBrowse_, &QPushButton::clicked, this, &RegistrationDialog::browseText);
    connect(binBrowse_, &QPushButton::clicked, this, &RegistrationDialog::browseBinary);
    connect(ok_, &QPushButton::clicked, this, &RegistrationDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

RegistrationSettings RegistrationDialog::settings() const {
    RegistrationSettings s = base_;
    const QTime time = interval_->time();
    s.interval = intervalFromPicker(time.isValid(), {time.hour(), time.minute(), time.second()});
    s.fileLog = fileLog_->isChecked();
    s.fileName = QFile::encodeName(fileEdit_->text()).toStdString();
    s.sepFormat = 0;
    for (int i = 0; i < 3; ++i)
        if (sep_[static_cast<std::size_t>(i)]->isChecked()) s.sepFormat = i;
    s.checkComment = comment_->isChecked();
    s.checkCommentSn = serial_->isChecked();
    for (int c = 0; c < kChannelCount; ++c)
        s.fileChannels[static_cast<std::size_t>(c)] = channels_[static_cast<std::size_t>(c)]->isChecked();
    s.fileLogBin = fileLogBin_->isChecked();
    s.fileNameBin = QFile::encodeName(binEdit_->text()).toStdString();
    return s;
}

QString RegistrationDialog::comment() const { return commentEdit_->toPlainText(); }

void RegistrationDialog::updateEnabling() {
    const RegistrationControls c = registrationControls(settings());
    for (QWidget* w : std::initializer_list<QWidget*>{fileBrowse_, fileEdit_, fileCaption_, sepCaption_, comment_})
        w->setEnabled(c.textControls);
    for (QRadioButton* r : sep_) r->setEnabled(c.textControls);
    for (QCheckBox* b : channels_) b->setEnabled(c.textControls);
    serial_->setEnabled(c.commentControls);
    commentEdit_->setEnabled(c.commentControls);
    binBrowse_->setEnabled(c.binaryControls);
    binEdit_->setEnabled(c.binaryControls);
    binCaption_->setEnabled(c.binaryControls);
}

void RegistrationDialog::applyPickerRule() {
    const QTime time = interval_->time();
    const int interval = intervalFromPicker(time.isValid(), {time.hour(), time.minute(), time.second()});
    const PickerTime p = pickerTimeOf(interval);
    const QTime shown(p.hours, p.minutes, p.seconds);
    if (shown != time) interval_->setTime(shown);
}

void RegistrationDialog::browseText() {
    if (!chooser_) return;
    const FileChoice choice = chooser_(this, textFileRequest(fileEdit_->text()));
    if (choice.path.isEmpty()) return;
    const std::string path = withTextExtension(QFile::encodeName(choice.path).toStdString(), choice.filterIndex);
    fileEdit_->setText(QFile::decodeName(QByteArray::fromStdString(path)));
}

void RegistrationDialog::browseBinary() {
    if (!chooser_) return;
    const FileChoice choice = chooser_(this, binaryFileRequest(binEdit_->text()));
    if (choice.path.isEmpty()) return;
    const std::string path = withBinaryExtension(QFile::encodeName(choice.path).toStdString());
    binEdit_->setText(QFile::decodeName(QByteArray::fromStdString(path)));
}

void RegistrationDialog::accept() {
    // The picker may still hold 00:00:00 when OK is pressed with the keyboard.
    applyPickerRule();
    const int message = validateRegistration(settings());
    if (message != 0) {
        boxes_.information(this, registrationString(message));
        return;
    }
    QDialog::accept();
}

}  // namespace mr420
