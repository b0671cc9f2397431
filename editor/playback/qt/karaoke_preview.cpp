#include "playback/qt/karaoke_preview.h"

#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "base/player.h"
#include "base/sjis_codec.h"
#include "document/document.h"

namespace obrin {

namespace {

const QColor kBackground(0, 0, 0);
// The share of a row's height the lyrics' letters take, and the readings'
// size against the lyrics'.
constexpr double kLetterShare = 0.5;
constexpr double kRubyScale = 0.45;
// A line wider than the window is made smaller to fit within this share of
// its width.
constexpr double kWidthShare = 0.94;
constexpr double kMargin = 0.03;
constexpr int kFastestIntervalMs = 4;
constexpr int kSlowestPlayingIntervalMs = 33;

QString FromSjis(const std::string& sjis) {
    return QString::fromStdString(SjisToUtf8(sjis));
}

// The part of a span that has wiped.
double WipedRight(double left, double right, double fraction) {
    return left + (right - left) * fraction;
}

}  // namespace

KaraokePreview::KaraokePreview(Document& document, Player& player, QWidget* parent)
    : QWidget(parent),
      document_(document),
      player_(player),
      ruby_(document.ruby()),
      before_(Qt::white),
      after_(64, 160, 255) {
    setObjectName(QStringLiteral("KaraokePreviewForm"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("カラオケプレビュー"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 120);
    resize(960, 360);
    chooseColour_ = [this](const QColor& current, const QString& title) {
        return QColorDialog::getColor(current, this, title);
    };

    const auto changed = [this] {
        forgetLayout();
        followPosition();
    };
    LyricList& list = document_.lyrics;
    connections_.push_back(list.linesInserted.connect([changed](int, int) { changed(); }));
    connections_.push_back(list.linesRemoved.connect([changed](int, int) { changed(); }));
    connections_.push_back(list.wasReset.connect(changed));
    connections_.push_back(list.linesChanged.connect([changed](int, int, LinePart part) {
        if (part != LinePart::Check) changed();
    }));
    connections_.push_back(document_.fieldChanged.connect([this, changed](DocumentField field) {
        if (field != DocumentField::Ruby) return;
        ruby_ = RubyIndex(document_.ruby());
        changed();
    }));
    connections_.push_back(player_.playStateChanged.connect([this](PlayState) {
        if (isVisible()) startFollowing();
        followPosition();
    }));
    connect(&timer_, &QTimer::timeout, this, &KaraokePreview::followPosition);
}

KaraokePreview::~KaraokePreview() = default;

void KaraokePreview::setLyricsFont(const QFont& font) {
    font_ = font;
    forgetLayout();
}

void KaraokePreview::setColours(const QColor& before, const QColor& after) {
    before_ = before;
    after_ = after;
    forgetLayout();
}

void KaraokePreview::chooseColours() {
    const QColor before = chooseColour_(before_, QStringLiteral("歌う前の色"));
    if (!before.isValid()) return;
    const QColor after = chooseColour_(after_, QStringLiteral("歌った後の色"));
    if (!after.isValid()) return;
    setColours(before, after);
    emit coloursChosen(before, after);
}

int KaraokePreview::followIntervalMs() const {
    return timer_.isActive() ? timer_.interval() : 0;
}

void KaraokePreview::startFollowing() {
    int interval = kIdleIntervalMs;
    if (player_.playState() == PlayState::Playing) {
        const double refresh = screen() != nullptr ? screen()->refreshRate() : 60.0;
        interval = std::clamp(static_cast<int>(std::lround(1000.0 / std::max(refresh, 1.0))),
                              kFastestIntervalMs, kSlowestPlayingIntervalMs);
    }
    timer_.start(interval);
}

void KaraokePreview::followPosition() {
    double seconds = 0.0;
    if (!player_.fileName().empty()) {
        try {
            seconds = player_.heardPosition();
        } catch (const PlayerError&) {
            // The frame stays where the position was last seen.
            seconds = lastSeconds_;
        }
    }
    lastSeconds_ = seconds;
    KaraokeFrame frame = KaraokeFrameAt(document_.lyrics, ruby_, seconds * 100.0);
    if (frame == frame_) return;
    const bool sameLines = frame.next == frame_.next && frame.current.line == frame_.current.line &&
                           frame.current.pieces.size() == frame_.current.pieces.size();
    if (!sameLines) {
        std::erase_if(layouts_, [&frame](const auto& entry) {
            return entry.first != frame.current.line && entry.first != frame.next.line;
        });
        frame_ = std::move(frame);
        update();
        return;
    }
    // Only the pieces whose wipe moved are painted again.
    const LaidOutLine& line = laidOut(frame.current);
    const QPointF origin = rowOrigin(0, line);
    const double height = line.before.height() / line.before.devicePixelRatio();
    QRectF changed;
    for (std::size_t i = 0; i < frame.current.pieces.size(); ++i) {
        if (frame.current.pieces[i] == frame_.current.pieces[i]) continue;
        double left = line.pieces[i].left;
        double right = line.pieces[i].right;
        for (const Span& mora : line.morae[i]) {
            left = std::min(left, mora.left);
            right = std::max(right, mora.right);
        }
        changed |= QRectF(origin.x() + left, origin.y(), right - left, height);
    }
    frame_ = std::move(frame);
    update(changed.toAlignedRect());
}

std::optional<double> KaraokePreview::wipeX(int piece) const {
    if (frame_.current.line < 0 || piece < 0 ||
        piece >= static_cast<int>(frame_.current.pieces.size())) {
        return std::nullopt;
    }
    const LaidOutLine& line = laidOut(frame_.current);
    const Span& span = line.pieces[static_cast<std::size_t>(piece)];
    return rowOrigin(0, line).x() +
           WipedRight(span.left, span.right,
                      frame_.current.pieces[static_cast<std::size_t>(piece)].fraction);
}

void KaraokePreview::forgetLayout() {
    layouts_.clear();
    update();
}

const KaraokePreview::LaidOutLine& KaraokePreview::laidOut(const WipeLine& line) const {
    auto found = layouts_.find(line.line);
    if (found == layouts_.end()) found = layouts_.emplace(line.line, layOut(line)).first;
    return found->second;
}

KaraokePreview::LaidOutLine KaraokePreview::layOut(const WipeLine& line) const {
    LaidOutLine laid;
    if (line.pieces.empty()) return laid;
    std::vector<QString> texts;
    std::vector<std::vector<QString>> morae;
    bool hasRuby = false;
    for (const WipePiece& piece : line.pieces) {
        texts.push_back(FromSjis(piece.text));
        morae.emplace_back();
        for (const WipeMora& mora : piece.ruby) morae.back().push_back(FromSjis(mora.text));
        hasRuby = hasRuby || !piece.ruby.empty();
    }

    const double rowHeight = height() / 2.0;
    double letters = std::max(4.0, rowHeight * kLetterShare);
    QFont base = font_;
    base.setPixelSize(static_cast<int>(letters));
    const auto widthOf = [&texts](const QFontMetricsF& metrics) {
        double width = 0.0;
        for (const QString& text : texts) width += metrics.horizontalAdvance(text);
        return width;
    };
    const double natural = widthOf(QFontMetricsF(base));
    if (natural > width() * kWidthShare) {
        letters = std::max(4.0, letters * width() * kWidthShare / natural);
        base.setPixelSize(static_cast<int>(letters));
    }
    QFont small = base;
    small.setPixelSize(std::max(4, static_cast<int>(letters * kRubyScale)));
    const QFontMetricsF baseMetrics(base);
    const QFontMetricsF rubyMetrics(small);
    laid.rubyHeight = hasRuby ? rubyMetrics.height() : 0.0;

    double x = 0.0;
    double leftmost = 0.0;
    double rightmost = 0.0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double advance = baseMetrics.horizontalAdvance(texts[i]);
        laid.pieces.push_back({x, x + advance});
        double rubyWidth = 0.0;
        for (const QString& mora : morae[i]) rubyWidth += rubyMetrics.horizontalAdvance(mora);
        double rubyX = x + (advance - rubyWidth) / 2.0;
        laid.morae.emplace_back();
        for (const QString& mora : morae[i]) {
            const double moraWidth = rubyMetrics.horizontalAdvance(mora);
            laid.morae.back().push_back({rubyX, rubyX + moraWidth});
            rubyX += moraWidth;
        }
        if (!morae[i].empty()) {
            leftmost = std::min(leftmost, laid.morae.back().front().left);
            rightmost = std::max(rightmost, rubyX);
        }
        x += advance;
    }
    rightmost = std::max(rightmost, x);
    for (Span& span : laid.pieces) {
        span.left -= leftmost;
        span.right -= leftmost;
    }
    for (std::vector<Span>& spans : laid.morae) {
        for (Span& span : spans) {
            span.left -= leftmost;
            span.right -= leftmost;
        }
    }

    const double ratio = devicePixelRatioF();
    const QSizeF size(rightmost - leftmost, laid.rubyHeight + baseMetrics.height());
    const auto draw = [&](const QColor& colour) {
        QImage image((size * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(kBackground);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setPen(colour);
        painter.setFont(base);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            painter.drawText(QPointF(laid.pieces[i].left, laid.rubyHeight + baseMetrics.ascent()),
                             texts[i]);
        }
        painter.setFont(small);
        for (std::size_t i = 0; i < morae.size(); ++i) {
            for (std::size_t m = 0; m < morae[i].size(); ++m) {
                painter.drawText(QPointF(laid.morae[i][m].left, rubyMetrics.ascent()), morae[i][m]);
            }
        }
        return image;
    };
    laid.before = draw(before_);
    laid.after = draw(after_);
    return laid;
}

QPointF KaraokePreview::rowOrigin(int row, const LaidOutLine& line) const {
    const double ratio = line.before.devicePixelRatio();
    const double lineWidth = line.before.width() / ratio;
    const double lineHeight = line.before.height() / ratio;
    const double rowHeight = height() / 2.0;
    const double margin = width() * kMargin;
    const double x = row == 0 ? margin : width() - margin - lineWidth;
    // Whole pixels, so the picture covers exactly what the background leaves.
    return {std::round(std::max(0.0, x)),
            std::round(row * rowHeight + (rowHeight - lineHeight) / 2.0)};
}

void KaraokePreview::paintLine(QPainter& painter, int row, const WipeLine& line) {
    if (line.line < 0 || line.pieces.empty()) return;
    const LaidOutLine& laid = laidOut(line);
    const QPointF origin = rowOrigin(row, laid);
    const double ratio = laid.before.devicePixelRatio();
    const double bottom = laid.before.height() / ratio;
    const double lineWidth = laid.before.width() / ratio;
    const auto copy = [&](const QImage& image, double left, double right, double top,
                          double lower) {
        // Whole pixels of the picture: a copy, where a fraction would be scaled.
        const QRect source(QPoint(static_cast<int>(std::lround(left * ratio)),
                                  static_cast<int>(std::lround(top * ratio))),
                           QPoint(static_cast<int>(std::lround(right * ratio)) - 1,
                                  static_cast<int>(std::lround(lower * ratio)) - 1));
        if (source.isEmpty()) return;
        painter.drawImage(origin + QPointF(source.topLeft()) / ratio, image, source);
    };
    // The readings' band before, then each mora's wiped part after.
    copy(laid.before, 0.0, lineWidth, 0.0, laid.rubyHeight);
    // The lyrics' band in runs: whole pieces in a row are one run, so a sung
    // line costs one copy, and each pixel is copied once.
    double shown = 0.0;
    const auto wiped = [&](double left, double wipedRight) {
        copy(laid.before, shown, left, laid.rubyHeight, bottom);
        copy(laid.after, left, wipedRight, laid.rubyHeight, bottom);
        shown = wipedRight;
    };
    double runLeft = 0.0;
    double runRight = 0.0;
    for (std::size_t i = 0; i < line.pieces.size(); ++i) {
        const WipePiece& piece = line.pieces[i];
        const Span& span = laid.pieces[i];
        const double pieceRight = WipedRight(span.left, span.right, piece.fraction);
        if (pieceRight > span.left && span.left <= runRight + 0.5) {
            runRight = pieceRight;
        } else if (pieceRight > span.left) {
            wiped(runLeft, runRight);
            runLeft = span.left;
            runRight = pieceRight;
        }
        for (std::size_t m = 0; m < piece.ruby.size(); ++m) {
            const Span& mora = laid.morae[i][m];
            copy(laid.after, mora.left, WipedRight(mora.left, mora.right, piece.ruby[m].fraction),
                 0.0, laid.rubyHeight);
        }
    }
    wiped(runLeft, runRight);
    copy(laid.before, shown, lineWidth, laid.rubyHeight, bottom);
}

void KaraokePreview::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QRegion background = event->region();
    for (int row = 0; row < 2; ++row) {
        const WipeLine& line = row == 0 ? frame_.current : frame_.next;
        if (line.line < 0 || line.pieces.empty()) continue;
        const LaidOutLine& laid = laidOut(line);
        const double ratio = laid.before.devicePixelRatio();
        const QSize covered(static_cast<int>(laid.before.width() / ratio),
                            static_cast<int>(laid.before.height() / ratio));
        background -= QRect(rowOrigin(row, laid).toPoint(), covered);
    }
    for (const QRect& rect : background) painter.fillRect(rect, kBackground);
    paintLine(painter, 0, frame_.current);
    paintLine(painter, 1, frame_.next);
}

void KaraokePreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    forgetLayout();
    followPosition();
}

void KaraokePreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    startFollowing();
    followPosition();
}

void KaraokePreview::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

void KaraokePreview::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* colours = menu.addAction(QStringLiteral("色の設定..."));
    colours->setObjectName(QStringLiteral("mnuKaraokeColours"));
    connect(colours, &QAction::triggered, this, &KaraokePreview::chooseColours);
    menu.exec(event->globalPos());
}

}  // namespace obrin
