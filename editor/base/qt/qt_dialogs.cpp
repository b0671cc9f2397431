#include "base/qt/qt_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "base/qt/qt_fonts.h"

namespace obrin {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kCaption = QStringLiteral("obrin");

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const std::string& message,
                                QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, kCaption, Q(message), buttons, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// A list of the choice's items, its label's buddy, showing the chosen item.
QComboBox* ChoiceBox(const DialogChoice& choice, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const std::string& item : choice.items) box->addItem(Q(item));
    box->setCurrentIndex(choice.selected);
    return box;
}

}  // namespace

void QtDialogs::prepare(QFileDialog& dialog, const FileDialogRequest& request) const {
    if (!request.title.empty()) dialog.setWindowTitle(Q(request.title));
    if (!request.filter.empty()) dialog.setNameFilter(QtNameFilters(request.filter));
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(Q(request.defaultExt));
    const QString song = songFolder ? Q(songFolder()) : QString();
    const QString start = song.isEmpty() ? lastFolder_ : song;
    if (!start.isEmpty()) dialog.setDirectory(start);
    if (!request.initialPath.empty()) dialog.selectFile(Q(request.initialPath));
}

std::optional<std::string> QtDialogs::run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().first();
    lastFolder_ = QFileInfo(chosen).absolutePath();
    return chosen.toStdString();
}

QString QtNameFilters(const std::string& filter) {
    const QStringList parts = Q(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // Qt reads the patterns from the last parentheses, so they go last;
        // a description that already ends with them is shown as it is.
        const QString named = u'(' + patterns + u')';
        filters << (parts[i].endsWith(named) ? parts[i] : parts[i] + u' ' + named);
    }
    return filters.join(QStringLiteral(";;"));
}

void QtDialogs::showError(const std::string& message) {
    Ask(parent_, QMessageBox::Critical, message, QMessageBox::Ok);
}

bool QtDialogs::confirm(const std::string& message) {
    return Ask(parent_, QMessageBox::Question, message, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void QtDialogs::showInformation(const std::string& message) {
    Ask(parent_, QMessageBox::Information, message, QMessageBox::Ok);
}

std::optional<int> QtDialogs::choose(const std::string& message,
                                     const std::vector<std::string>& answers) {
    QMessageBox box(QMessageBox::Question, kCaption, Q(message), QMessageBox::NoButton, parent_);
    std::vector<QAbstractButton*> buttons;
    for (const std::string& answer : answers) {
        buttons.push_back(box.addButton(Q(answer), QMessageBox::AcceptRole));
    }
    QAbstractButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
    if (!buttons.empty()) box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    prepare(dialog, request);
    return run(dialog);
}

std::optional<ChosenFile> QtDialogs::openFileWithChoice(const FileDialogRequest& request,
                                                        const DialogChoice& choice) {
    QFileDialog dialog(parent_);
    // Only Qt's own dialog takes widgets of ours.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    prepare(dialog, request);
    QComboBox* box = ChoiceBox(choice, &dialog);
    box->setObjectName(QStringLiteral("fileChoice"));
    auto* label = new QLabel(Q(choice.label), &dialog);
    label->setBuddy(box);
    // Qt's dialog lays its rows out in a grid: the choice goes below the
    // file type, in the same columns.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
    } else if (QLayout* layout = dialog.layout()) {
        layout->addWidget(label);
        layout->addWidget(box);
    }
    auto path = run(dialog);
    if (!path) return std::nullopt;
    return ChosenFile{std::move(*path), box->currentIndex()};
}

std::optional<std::vector<int>> QtDialogs::chooseOptions(const std::string& caption,
                                                         const std::vector<DialogChoice>& choices) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(Q(caption));
    auto* form = new QFormLayout(&dialog);
    std::vector<QComboBox*> boxes;
    for (const DialogChoice& choice : choices) {
        QComboBox* box = ChoiceBox(choice, &dialog);
        box->setObjectName(QStringLiteral("choice%1").arg(boxes.size()));
        form->addRow(Q(choice.label), box);
        boxes.push_back(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<int> picked;
    for (const QComboBox* box : boxes) picked.push_back(box->currentIndex());
    return picked;
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    prepare(dialog, request);
    return run(dialog);
}

std::optional<std::string> QtDialogs::chooseFolder(const std::string& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent_, QString(), Q(startFolder));
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

std::optional<FontChoice> QtDialogs::chooseFont(const FontChoice& current) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(current), parent_);
    if (!ok) return std::nullopt;
    return FontChoice{.face = chosen.family().toStdString(),
                      .pointSize = chosen.pointSize(),
                      .style = (chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) |
                               (chosen.underline() ? 4 : 0) | (chosen.strikeOut() ? 8 : 0)};
}

std::optional<std::string> QtDialogs::inputText(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, Q(caption), Q(prompt), QLineEdit::Normal, Q(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

}  // namespace obrin
