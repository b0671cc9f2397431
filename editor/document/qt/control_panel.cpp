#include "document/qt/control_panel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/command_ids.h"
#include "base/conversion_error.h"
#include "base/dialogs.h"
#include "document/document.h"
#include "document/nudge_buttons.h"

namespace obrin {

namespace {

QPushButton* CommandButton(CommandId command, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(command.objectName()));
    // The style's wide minimum for push buttons would not let the nudge row
    // fit the window; the caption decides instead.
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(caption) + 12);
    return button;
}

QToolButton* ArrowButton(const char* name, Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 11);
    return button;
}

}  // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SpinButton"));
    up_ = ArrowButton("SpinButtonUp", Qt::UpArrow, this);
    down_ = ArrowButton("SpinButtonDown", Qt::DownArrow, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QAbstractButton::clicked, this, &SpinButton::upClicked);
    connect(down_, &QAbstractButton::clicked, this, &SpinButton::downClicked);
}

ControlPanel::ControlPanel(Document& document, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("ControlPanel"));

    auto* confirmGroup = new QGroupBox(QStringLiteral("確認"), this);
    confirmGroup->setObjectName(QStringLiteral("GroupBoxConfirm"));
    auto* confirmLayout = new QHBoxLayout(confirmGroup);
    confirmLayout->addWidget(
        CommandButton(command::kConfirmAround, QStringLiteral("前後"), confirmGroup));
    confirmLayout->addWidget(
        CommandButton(command::kConfirmAll, QStringLiteral("すべて"), confirmGroup));

    auto* topRow = new QHBoxLayout;
    topRow->addWidget(CommandButton(command::kMark, QStringLiteral("マーク"), this));
    topRow->addWidget(
        CommandButton(command::kCheckPrevious, QStringLiteral("一つ前をチェック"), this));
    topRow->addWidget(CommandButton(command::kCheckSelected, QStringLiteral("チェック"), this));
    topRow->addWidget(confirmGroup);
    topRow->addStretch();

    auto* offsetGroup = new QGroupBox(QStringLiteral("マーク位置"), this);
    offsetGroup->setObjectName(QStringLiteral("GroupBoxMark"));
    markOffset_ = new QLabel(offsetGroup);
    markOffset_->setObjectName(QStringLiteral("panMark"));
    markOffset_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    markOffset_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    markOffset_->setMinimumWidth(40);
    auto* spin = new SpinButton(offsetGroup);
    auto* offsetLayout = new QHBoxLayout(offsetGroup);
    offsetLayout->addWidget(markOffset_);
    offsetLayout->addWidget(spin);
    offsetLayout->addWidget(new QLabel(QStringLiteral("秒"), offsetGroup));

    auto* nudgeGroup = new QGroupBox(this);
    nudgeGroup->setObjectName(QStringLiteral("GroupBoxMove"));
    auto* nudgeLayout = new QHBoxLayout(nudgeGroup);
    nudgeLayout->setSpacing(2);
    for (const NudgeButton& nudge : kNudgeButtons) {
        QPushButton* button =
            CommandButton(nudge.command, QString::fromUtf8(nudge.caption), nudgeGroup);
        if (nudge.shown) {
            nudgeLayout->addWidget(button);
        } else {
            button->hide();
        }
    }
    listEditBox_ = new QCheckBox(QStringLiteral("ﾘｽﾄ編集"), nudgeGroup);
    listEditBox_->setObjectName(QStringLiteral("chkHosei"));
    nudgeLayout->addWidget(listEditBox_);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(offsetGroup);
    bottomRow->addWidget(nudgeGroup);
    bottomRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addLayout(topRow);
    layout->addLayout(bottomRow);

    connect(spin, &SpinButton::upClicked, this, &ControlPanel::stepMarkOffsetUp);
    connect(spin, &SpinButton::downClicked, this, &ControlPanel::stepMarkOffsetDown);
    connect(listEditBox_, &QCheckBox::toggled, this,
            [this](bool checked) { document_.setListEditMode(checked); });
    documentChanged_ = document_.fieldChanged.connect([this](DocumentField field) {
        if (field == DocumentField::MarkOffset || field == DocumentField::ListEditMode)
            showDocument();
    });
    showDocument();
}

QPushButton* ControlPanel::button(CommandId command) const {
    return findChild<QPushButton*>(QString::fromLatin1(command.objectName()));
}

void ControlPanel::showDocument() {
    markOffset_->setText(QString::fromStdString(document_.markOffset().text()));
    listEditBox_->setChecked(document_.listEditMode());
}

void ControlPanel::stepMarkOffsetUp() {
    stepMarkOffset(true);
}

void ControlPanel::stepMarkOffsetDown() {
    stepMarkOffset(false);
}

void ControlPanel::stepMarkOffset(bool up) {
    try {
        up ? document_.stepMarkOffsetUp() : document_.stepMarkOffsetDown();
    } catch (const ConversionError& error) {
        dialogs_.showError(error.what());
    }
}

}  // namespace obrin
