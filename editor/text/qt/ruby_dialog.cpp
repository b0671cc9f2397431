#include "text/qt/ruby_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/dialogs.h"
#include "text/qt/sjis_qt.h"

namespace obrin {
namespace {

QString TimeOf(int cs) {
    return QStringLiteral("%1:%2.%3")
        .arg(cs / 6000, 2, 10, QLatin1Char('0'))
        .arg(cs / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(cs % 100, 2, 10, QLatin1Char('0'));
}

// Where a row's reading applies; empty for the whole song.
QString RangeOf(const RubyRow& row) {
    if (row.from == kNoUnitTime && row.to == kNoUnitTime) return {};
    return (row.from == kNoUnitTime ? QString() : TimeOf(row.from)) + QStringLiteral(" - ") +
           (row.to == kNoUnitTime ? QString() : TimeOf(row.to));
}

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

RubyDialog::RubyDialog(std::vector<RubyRow> rows, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      rows_(std::move(rows)),
      dialogs_(dialogs),
      table_(new QTableWidget(static_cast<int>(rows_.size()), 4, this)),
      acceptAll_(new QPushButton(QStringLiteral("すべての候補を採用(&A)"), this)) {
    setObjectName(QStringLiteral("RubyForm"));
    setWindowTitle(QStringLiteral("ルビを編集"));
    table_->setObjectName(QStringLiteral("RubyList"));
    table_->setHorizontalHeaderLabels({QStringLiteral("漢字"), QStringLiteral("範囲"),
                                       QStringLiteral("候補"), QStringLiteral("読み")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const RubyRow& row = rows_[static_cast<std::size_t>(r)];
        table_->setItem(r, BaseColumn, ReadOnlyItem(FromSjis(row.base)));
        table_->setItem(r, RangeColumn, ReadOnlyItem(RangeOf(row)));
        table_->setItem(r, SuggestedColumn, ReadOnlyItem(FromSjis(row.suggested)));
        table_->setItem(r, ReadingColumn, new QTableWidgetItem(FromSjis(row.reading)));
    }
    table_->resizeColumnsToContents();
    acceptAll_->setObjectName(QStringLiteral("btnAcceptAll"));
    connect(acceptAll_, &QPushButton::clicked, this, &RubyDialog::acceptAllSuggestions);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RubyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RubyDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("読みをかなで入力してください。空の読みはルビなしです。"), this));
    layout->addWidget(table_);
    layout->addWidget(acceptAll_, 0, Qt::AlignLeft);
    layout->addWidget(buttons);
    resize(480, 400);
}

void RubyDialog::acceptAllSuggestions() {
    AcceptAllSuggestions(rows_);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const RubyRow& row = rows_[static_cast<std::size_t>(r)];
        if (!row.suggested.empty()) table_->item(r, ReadingColumn)->setText(FromSjis(row.reading));
    }
}

void RubyDialog::accept() {
    std::vector<RubyRow> edited = rows_;
    for (int r = 0; r < table_->rowCount(); ++r) {
        QTableWidgetItem* cell = table_->item(r, ReadingColumn);
        const EnteredReading entered = ReadingFromInput(cell->text().toStdString());
        if (!entered.problem.empty()) {
            dialogs_.showError(entered.problem);
            table_->setCurrentItem(cell);
            return;
        }
        edited[static_cast<std::size_t>(r)].reading = entered.sjis;
    }
    rows_ = std::move(edited);
    QDialog::accept();
}

void RegisterRubyCommand(CommandTable& table, Document& document, Dialogs& dialogs,
                         ReadingSourceProvider readings, QWidget* parent) {
    table.add({.id = command::kEditRuby,
               .caption = "ルビを編集(&B)...",
               .enabled = [&document] { return document.lyrics.count() > 0; },
               .run =
                   [&document, &dialogs, readings = std::move(readings), parent] {
                       std::vector<std::string> texts;
                       for (const LyricLine& line : document.lyrics.lines())
                           texts.push_back(line.lyricText);
                       RubyDialog form(BuildRubyRows(texts, document.ruby(), readings()), dialogs,
                                       parent);
                       if (form.exec() == QDialog::Accepted) EditRuby(document, form.rows());
                   }});
}

}  // namespace obrin
