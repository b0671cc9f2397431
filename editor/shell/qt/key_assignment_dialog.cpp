#include "shell/qt/key_assignment_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "shell/qt/virtual_keys.h"

namespace obrin {

KeyAssignmentDialog::KeyAssignmentDialog(const std::array<std::uint16_t, 3>& codes, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("KeyForm"));
    setWindowTitle(QStringLiteral("キーボード"));
    auto* layout = new QFormLayout(this);
    const char* names[] = {"Edit1", "Edit2", "Edit3"};
    const QString labels[] = {QStringLiteral("マーク"), QStringLiteral("一つ前をチェック"),
                              QStringLiteral("再生/一時停止")};
    // Wide enough for the longest name, so the dialog keeps its size.
    int nameWidth = 0;
    for (int code = 1; code <= 0xFF; ++code) {
        nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(QString::fromStdString(
                                            VirtualKeyName(static_cast<std::uint16_t>(code)))));
    }
    for (int i = 0; i < 3; ++i) {
        QLineEdit* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(names[i]));
        field->setReadOnly(true);
        field->installEventFilter(this);
        QLabel* name = new QLabel(this);
        name->setObjectName(QStringLiteral("KeyName%1").arg(i + 1));
        name->setMinimumWidth(nameWidth);
        // Every key can be assigned, so taking a key off needs a button; it
        // takes no focus, so no key ever lands on it.
        auto* clear = new QPushButton(QStringLiteral("なし"), this);
        clear->setObjectName(QStringLiteral("Clear%1").arg(i + 1));
        clear->setFocusPolicy(Qt::NoFocus);
        clear->setAutoDefault(false);
        connect(clear, &QPushButton::clicked, this, [this, i] { setCode(i, {}); });
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        row->addWidget(name);
        row->addWidget(clear);
        layout->addRow(labels[i], row);
        fields_[i] = field;
        names_[i] = name;
        setCode(i, {codes[i], VirtualKeyName(codes[i])});
    }
    setFixedSize(sizeHint());
}

void KeyAssignmentDialog::setCode(int index, const KeyIdentity& key) {
    fields_[index]->setText(QString::number(key.code));
    names_[index]->setText(QString::fromStdString(key.name));
}

std::array<std::uint16_t, 3> KeyAssignmentDialog::codes() const {
    std::array<std::uint16_t, 3> codes{};
    for (int i = 0; i < 3; ++i) codes[i] = static_cast<std::uint16_t>(fields_[i]->text().toUInt());
    return codes;
}

bool KeyAssignmentDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) return false;
        const auto field = std::find(fields_.begin(), fields_.end(), watched);
        if (field != fields_.end()) {
            // A key with no code (a dead key, say) leaves the field as it was.
            // The name is the one of the key pressed, which tells a US
            // keyboard's keys from a JIS keyboard's of the same code.
            if (const KeyIdentity pressed = IdentifyKey(KeyPressOf(key)); pressed.code != 0) {
                setCode(static_cast<int>(field - fields_.begin()), pressed);
            }
            return true;  // nothing else may act on it: Escape or Enter would close
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace obrin
