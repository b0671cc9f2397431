#pragma once

#include <QWidget>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "base/signal.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace obrin {

class Document;
class KaraokeTapping;

// The lines as the karaoke tab draws them: the line being timed large, with
// each unit's text, its reading above a kanji run and its time below, the
// unit the next tap times highlighted; the lines before and after it
// smaller. It reads the document at every paint and keeps no copy of the
// lyrics. A click between two characters of the large line splits the unit
// there or joins the two it separates (CutLineUnitsAt).
class KaraokeLinesView : public QWidget {
    Q_OBJECT
  public:
    KaraokeLinesView(Document& document, KaraokeTapping& tapping, QWidget* parent = nullptr);

    // Where a click cuts the large line before byte `at` of its text; none
    // for a place that is no boundary between two characters.
    [[nodiscard]] std::optional<QPoint> cutPoint(std::size_t at) const;
    // The box of the unit the next tap times (the end mark after the last).
    [[nodiscard]] QRect highlightedBox() const;

  signals:
    // A click that could not cut, with the reason (UTF-8).
    void cutRefused(const QString& why);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    // One character of the large line: its box and its first byte.
    struct Glyph {
        QRectF box;
        std::size_t byte;
    };
    struct Layout {
        std::vector<Glyph> glyphs;
        // Each unit's box: the base for a unit with text, the mora of the
        // reading for a further mora; the last is the end mark.
        std::vector<QRectF> unitBoxes;
        std::vector<QString> unitTexts;  // a mora's kana; the base's text
        std::vector<bool> ruby;          // true for a box in the reading's row
        std::vector<QString> times;
        // The first mora of each reading, drawn above its base.
        std::vector<std::pair<QRectF, QString>> rubyHeads;
    };

    [[nodiscard]] Layout layOut() const;
    [[nodiscard]] QFont bigFont() const;
    [[nodiscard]] QFont rubyFont() const;
    [[nodiscard]] QFont smallFont() const;
    [[nodiscard]] double baseTop() const;
    void paintSideLine(QPainter& painter, int line, double top) const;

    Document& document_;
    KaraokeTapping& tapping_;
    std::vector<Connection> notices_;
};

// The tab 「カラオケ」: the lines view, 「この行をやり直す」, the key-up option
// and the tapping's notes. Every change of the document or of where the next
// tap goes is shown at once.
class KaraokeTab : public QWidget {
    Q_OBJECT
  public:
    KaraokeTab(Document& document, KaraokeTapping& tapping, QWidget* parent = nullptr);

    KaraokeLinesView* linesView() const { return view_; }
    QPushButton* restartButton() const { return restart_; }
    // 「ルビを編集...」: the window that owns the ruby command connects it.
    QPushButton* rubyButton() const { return ruby_; }
    QCheckBox* keyUpBox() const { return keyUp_; }
    QLabel* noteLabel() const { return note_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    KaraokeTapping& tapping_;
    KaraokeLinesView* view_;
    QPushButton* restart_;
    QPushButton* ruby_;
    QCheckBox* keyUp_;
    QLabel* note_;
    Connection noted_;
};

}  // namespace obrin
