#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "text/ruby_edit.h"

class QPushButton;
class QTableWidget;

namespace obrin {

class CommandTable;
class Dialogs;

// "ルビを編集": a row per kanji run (RubyRow) with its range, the suggested
// reading and the user's reading, which the user edits in kana. The button
// 「すべての候補を採用」 takes every suggestion. OK checks every reading and,
// on the first that is not kana or has characters Shift-JIS lacks, shows why
// and stays open on that cell.
class RubyDialog final : public QDialog {
    Q_OBJECT
  public:
    enum Column { BaseColumn, RangeColumn, SuggestedColumn, ReadingColumn };

    RubyDialog(std::vector<RubyRow> rows, Dialogs& dialogs, QWidget* parent = nullptr);

    // The rows with the readings the user accepted with OK.
    const std::vector<RubyRow>& rows() const { return rows_; }

    QTableWidget* table() const { return table_; }
    QPushButton* acceptAllButton() const { return acceptAll_; }
    QPushButton* okButton() const { return ok_; }

    void accept() override;

  private:
    void acceptAllSuggestions();

    std::vector<RubyRow> rows_;
    Dialogs& dialogs_;
    QTableWidget* table_;
    QPushButton* acceptAll_;
    QPushButton* ok_;
};

// The source of suggestions, asked each time the dialog opens; null when
// there is none (no dictionary).
using ReadingSourceProvider = std::function<const ReadingSource*()>;

// Registers "ルビを編集(&B)...": the dialog over the document's lyrics and
// readings; OK writes them as one step of the history (EditRuby), Cancel
// changes nothing. Enabled with any lines.
void RegisterRubyCommand(CommandTable& table, Document& document, Dialogs& dialogs,
                         ReadingSourceProvider readings, QWidget* parent);

}  // namespace obrin
