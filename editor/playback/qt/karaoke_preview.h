#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "base/signal.h"
#include "document/unit_split.h"
#include "playback/karaoke_wipe.h"

namespace obrin {

class Document;
class Player;

// The window 「カラオケプレビュー」 (`KaraokePreviewForm`): the line being
// heard on top, left-aligned, and the next one below, right-aligned, each
// unit sweeping from the colour before it is sung to the colour after it
// over its time, with the readings above their kanji sweeping mora by mora
// (see KaraokeFrameAt). The text is the lyrics font, as large as the window
// allows. It reads the document and the player's heard position and keeps
// nothing of the lyrics but the pictures of the two lines it shows.
//
// While the window is shown it looks at the position on a timer, at the
// screen's rate while the song plays and a few times a second otherwise (a
// seek while paused), and repaints only when the frame changed. The
// right-click menu's 「色の設定...」 asks for the two colours.
class KaraokePreview : public QWidget {
    Q_OBJECT
  public:
    // How often the position is looked at while the song does not play.
    static constexpr int kIdleIntervalMs = 100;

    // Asks for a colour; an invalid colour when the user cancels.
    using ColourChooser = std::function<QColor(const QColor& current, const QString& title)>;

    // Reads the document and listens to its changes; never changes it.
    KaraokePreview(Document& document, Player& player, QWidget* parent = nullptr);
    ~KaraokePreview() override;

    void setLyricsFont(const QFont& font);
    void setColours(const QColor& before, const QColor& after);
    QColor beforeColour() const { return before_; }
    QColor afterColour() const { return after_; }
    // Replaces the colour dialog (tests script it).
    void setColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }

    // Asks for the colour before the wipe, then the one after it; a cancel
    // keeps both. Tells coloursChosen when they were chosen.
    void chooseColours();

    // Reads the heard position and repaints when the frame changed. The
    // window's timer calls it.
    void followPosition();
    const KaraokeFrame& frame() const { return frame_; }
    // The interval of the position timer now, in milliseconds (0: stopped).
    int followIntervalMs() const;

    // Where the wipe of the current line's piece stands, in the window's
    // pixels: the x up to which the piece shows the colour after. Empty
    // while the line or the piece is not shown.
    std::optional<double> wipeX(int piece) const;

  signals:
    void coloursChosen(const QColor& before, const QColor& after);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // A line drawn once in each colour over the background, and where its
    // pieces and their readings' morae lie in those pictures.
    struct Span {
        double left = 0.0;
        double right = 0.0;
    };
    struct LaidOutLine {
        QImage before;
        QImage after;
        double rubyHeight = 0.0;
        std::vector<Span> pieces;
        std::vector<std::vector<Span>> morae;
    };

    // Drops the lines' pictures (the text, its size or the colours changed)
    // and paints the whole window again.
    void forgetLayout();
    // Looks at the position at the screen's rate while the song plays, else
    // every kIdleIntervalMs.
    void startFollowing();
    // The pictures of a shown line, drawn at its first use.
    const LaidOutLine& laidOut(const WipeLine& line) const;
    LaidOutLine layOut(const WipeLine& line) const;
    // Where a row's picture stands in the window: the top row left-aligned,
    // the bottom row right-aligned, each centred in its half.
    QPointF rowOrigin(int row, const LaidOutLine& line) const;
    void paintLine(QPainter& painter, int row, const WipeLine& line);

    Document& document_;
    Player& player_;
    RubyIndex ruby_;
    std::vector<Connection> connections_;
    QTimer timer_;
    KaraokeFrame frame_;
    double lastSeconds_ = 0.0;
    QFont font_;
    QColor before_;
    QColor after_;
    ColourChooser chooseColour_;
    // By line: only the lines of the frame shown are kept.
    mutable std::map<int, LaidOutLine> layouts_;
};

}  // namespace obrin
