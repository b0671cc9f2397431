#include "document/qt/karaoke_tab.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "base/sjis_codec.h"
#include "document/document.h"
#include "document/karaoke_tapping.h"
#include "document/karaoke_units.h"
#include "document/unit_cut.h"

namespace obrin {

namespace {

constexpr double kMargin = 16.0;
constexpr double kGap = 10.0;
const QString kEndMark = QStringLiteral("↵");

QString Utf8Of(std::string_view sjis) {
    return QString::fromStdString(SjisToUtf8(sjis));
}

QString TimeOf(int centis) {
    if (centis == kNoUnitTime) return QStringLiteral("--");
    return QStringLiteral("%1:%2.%3")
        .arg(centis / 6000)
        .arg(centis / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(centis % 100, 2, 10, QLatin1Char('0'));
}

// The times below a line, each without its minutes where it has the same
// ones as the time before it: a unit is narrower than a whole time.
QString WithoutRepeatedMinutes(const QString& times, QString& lastMinutes) {
    QStringList shown;
    for (const QString& time : times.split(QLatin1Char(' '))) {
        const qsizetype colon = time.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            shown << time;
            continue;
        }
        const QString minutes = time.left(colon);
        shown << (minutes == lastMinutes ? time.mid(colon + 1) : time);
        lastMinutes = minutes;
    }
    return shown.join(QLatin1Char(' '));
}

}  // namespace

KaraokeLinesView::KaraokeLinesView(Document& document, KaraokeTapping& tapping, QWidget* parent)
    : QWidget(parent), document_(document), tapping_(tapping) {
    setObjectName(QStringLiteral("KaraokeLines"));
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    const auto repaint = [this](auto&&...) { update(); };
    LyricList& lyrics = document_.lyrics;
    notices_.push_back(lyrics.linesChanged.connect(repaint));
    notices_.push_back(lyrics.linesInserted.connect(repaint));
    notices_.push_back(lyrics.linesRemoved.connect(repaint));
    notices_.push_back(lyrics.wasReset.connect(repaint));
    notices_.push_back(document_.fieldChanged.connect(repaint));
    notices_.push_back(tapping_.changed.connect(repaint));
}

QFont KaraokeLinesView::bigFont() const {
    QFont big = font();
    big.setPointSizeF(font().pointSizeF() * 2.6);
    return big;
}

QFont KaraokeLinesView::rubyFont() const {
    QFont ruby = font();
    ruby.setPointSizeF(font().pointSizeF() * 1.1);
    return ruby;
}

QFont KaraokeLinesView::smallFont() const {
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 1.3);
    return small;
}

double KaraokeLinesView::baseTop() const {
    return kMargin + QFontMetricsF(smallFont()).height() + kGap * 2 +
           QFontMetricsF(rubyFont()).height();
}

KaraokeLinesView::Layout KaraokeLinesView::layOut() const {
    Layout layout;
    const LyricList& lyrics = document_.lyrics;
    const KaraokeTapping::Place place = tapping_.current();
    if (place.line >= lyrics.count()) return layout;
    const LyricLine& line = lyrics.line(place.line);
    const RubyIndex rubyIndex(document_.ruby());
    const int lineTime = TimeTextCentis(line.timeText);
    const LineUnits units = UnitsOf(line, rubyIndex);
    const QFontMetricsF big(bigFont());
    const QFontMetricsF ruby(rubyFont());
    const double top = baseTop();
    const double rubyTop = top - ruby.height();
    double x = kMargin;
    std::size_t byte = 0;
    const std::size_t count = units.units.size();
    for (std::size_t i = 0; i < count;) {
        const std::string& text = units.units[i].text;
        std::size_t next = i + 1;
        while (next < count && units.units[next].text.empty()) ++next;
        // A kanji run's reading, one mora per unit of the group.
        std::vector<QString> morae;
        if (next > i + 1) {
            const RubyReading* reading = rubyIndex.within(text, lineTime);
            for (std::size_t m = 0; m < next - i; ++m)
                morae.push_back(reading && reading->morae.size() == next - i
                                    ? Utf8Of(reading->morae[m].text)
                                    : QStringLiteral("・"));
        }
        double baseWidth = 0;
        for (std::size_t pos = 0; pos < text.size(); pos += SjisCharSize(text, pos))
            baseWidth += big.horizontalAdvance(Utf8Of(text.substr(pos, SjisCharSize(text, pos))));
        double rubyWidth = 0;
        for (const QString& mora : morae) rubyWidth += ruby.horizontalAdvance(mora);
        const double width = std::max(baseWidth, rubyWidth);
        double glyphX = x + (width - baseWidth) / 2;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t size = SjisCharSize(text, pos);
            const double advance = big.horizontalAdvance(Utf8Of(text.substr(pos, size)));
            layout.glyphs.push_back({QRectF(glyphX, top, advance, big.height()), byte + pos});
            glyphX += advance;
            pos += size;
        }
        layout.unitBoxes.push_back(
            QRectF(x + (width - baseWidth) / 2, top, baseWidth, big.height()));
        layout.unitTexts.push_back(Utf8Of(text));
        layout.ruby.push_back(false);
        layout.times.push_back(TimeOf(units.units[i].start));
        double moraX = x + (width - rubyWidth) / 2;
        for (std::size_t m = 0; m < morae.size(); ++m) {
            const double advance = ruby.horizontalAdvance(morae[m]);
            if (m > 0) {
                layout.unitBoxes.push_back(QRectF(moraX, rubyTop, advance, ruby.height()));
                layout.unitTexts.push_back(morae[m]);
                layout.ruby.push_back(true);
                layout.times.push_back(TimeOf(units.units[i + m].start));
            } else {
                layout.rubyHeads.push_back(
                    {QRectF(moraX, rubyTop, advance, ruby.height()), morae[m]});
            }
            moraX += advance;
        }
        byte += text.size();
        x += width;
        i = next;
    }
    layout.unitBoxes.push_back(
        QRectF(x + kGap, top, big.horizontalAdvance(kEndMark), big.height()));
    layout.unitTexts.push_back(kEndMark);
    layout.ruby.push_back(false);
    layout.times.push_back(TimeOf(count == 0 ? lineTime : units.end));
    return layout;
}

void KaraokeLinesView::paintSideLine(QPainter& painter, int line, double top) const {
    const LyricList& lyrics = document_.lyrics;
    if (line < 0 || line >= lyrics.count()) return;
    painter.setFont(smallFont());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const LyricLine& lyric = lyrics.line(line);
    painter.drawText(QPointF(kMargin, top + QFontMetricsF(smallFont()).ascent()),
                     QStringLiteral("[%1] %2").arg(QString::fromStdString(lyric.timeText),
                                                   Utf8Of(lyric.lyricText)));
}

void KaraokeLinesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const KaraokeTapping::Place place = tapping_.current();
    const Layout layout = layOut();
    const QFontMetricsF big(bigFont());
    const QFontMetricsF small(smallFont());
    paintSideLine(painter, place.line - 1, kMargin);
    const double timesTop = baseTop() + big.height() + kGap / 2;
    // Times are wider than most units: a label that would overlap the one
    // before it goes to a second row.
    constexpr int kTimeRows = 3;
    paintSideLine(painter, place.line + 1, timesTop + kTimeRows * small.height() + kGap * 2);
    if (layout.unitBoxes.empty()) {
        painter.setFont(bigFont());
        painter.drawText(QPointF(kMargin, baseTop() + big.ascent()),
                         QString::fromUtf8(KaraokeTapping::kAllDoneNote));
        return;
    }
    const std::size_t next = static_cast<std::size_t>(place.unit);
    if (next < layout.unitBoxes.size())
        painter.fillRect(layout.unitBoxes[next].adjusted(-2, -2, 2, 2),
                         palette().color(QPalette::Highlight));
    const QColor timed = palette().color(QPalette::Text);
    const QColor untimed = palette().color(QPalette::Disabled, QPalette::Text);
    for (const auto& [box, mora] : layout.rubyHeads) {
        painter.setFont(rubyFont());
        painter.setPen(timed);
        painter.drawText(box, Qt::AlignCenter, mora);
    }
    std::array<double, kTimeRows> rowEnds;
    rowEnds.fill(-std::numeric_limits<double>::infinity());
    QString lastMinutes;
    for (std::size_t i = 0; i < layout.unitBoxes.size(); ++i) {
        const bool here = i == next;
        painter.setFont(layout.ruby[i] ? rubyFont() : bigFont());
        painter.setPen(here ? palette().color(QPalette::HighlightedText)
                            : (layout.times[i] == QStringLiteral("--") ? untimed : timed));
        painter.drawText(layout.unitBoxes[i], Qt::AlignCenter, layout.unitTexts[i]);
        if (layout.ruby[i]) continue;
        painter.setFont(smallFont());
        painter.setPen(untimed);
        // A kanji run's time is followed by its further morae's.
        QString label = layout.times[i];
        for (std::size_t m = i + 1; m < layout.unitBoxes.size() && layout.ruby[m]; ++m)
            label += QLatin1Char(' ') + layout.times[m];
        label = WithoutRepeatedMinutes(label, lastMinutes);
        const double width = small.horizontalAdvance(label) + 8;
        const double left = std::max(0.0, layout.unitBoxes[i].center().x() - width / 2);
        const auto free = std::ranges::find_if(rowEnds, [left](double end) { return end <= left; });
        const auto row = free != rowEnds.end() ? free : std::ranges::min_element(rowEnds);
        *row = left + width;
        const QRectF under(left,
                           timesTop + static_cast<double>(row - rowEnds.begin()) * small.height(),
                           width, small.height());
        painter.drawText(under, Qt::AlignCenter, label);
    }
}

std::optional<QPoint> KaraokeLinesView::cutPoint(std::size_t at) const {
    const Layout layout = layOut();
    for (std::size_t i = 1; i < layout.glyphs.size(); ++i) {
        if (layout.glyphs[i].byte != at) continue;
        const double x = (layout.glyphs[i - 1].box.right() + layout.glyphs[i].box.left()) / 2;
        return QPointF(x, layout.glyphs[i].box.center().y()).toPoint();
    }
    return std::nullopt;
}

QRect KaraokeLinesView::highlightedBox() const {
    const Layout layout = layOut();
    const std::size_t next = static_cast<std::size_t>(tapping_.current().unit);
    return next < layout.unitBoxes.size() ? layout.unitBoxes[next].toAlignedRect() : QRect();
}

void KaraokeLinesView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    const Layout layout = layOut();
    const QPointF at = event->position();
    if (layout.glyphs.size() < 2 || event->button() != Qt::LeftButton) return;
    const QRectF& first = layout.glyphs.front().box;
    if (at.y() < first.top() || at.y() > first.bottom()) return;
    // The boundary nearest the click, between the first and last characters.
    std::size_t best = 0;
    double bestDistance = 0;
    for (std::size_t i = 1; i < layout.glyphs.size(); ++i) {
        const double x = (layout.glyphs[i - 1].box.right() + layout.glyphs[i].box.left()) / 2;
        const double distance = std::abs(at.x() - x);
        if (best == 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (at.x() < first.center().x() || at.x() > layout.glyphs.back().box.center().x()) return;
    const UnitCutResult result =
        CutLineUnitsAt(document_, tapping_.current().line, layout.glyphs[best].byte);
    if (result.cut == UnitCut::Refused) emit cutRefused(QString::fromStdString(result.refusal));
}

KaraokeTab::KaraokeTab(Document& document, KaraokeTapping& tapping, QWidget* parent)
    : QWidget(parent),
      tapping_(tapping),
      view_(new KaraokeLinesView(document, tapping, this)),
      restart_(new QPushButton(QStringLiteral("この行をやり直す"), this)),
      ruby_(new QPushButton(QStringLiteral("ルビを編集..."), this)),
      keyUp_(new QCheckBox(QStringLiteral("キーを離した時刻も記録"), this)),
      note_(new QLabel(this)) {
    setObjectName(QStringLiteral("KaraokeTab"));
    restart_->setObjectName(QStringLiteral("KaraokeRestart"));
    ruby_->setObjectName(QStringLiteral("KaraokeRuby"));
    keyUp_->setObjectName(QStringLiteral("KaraokeKeyUp"));
    note_->setObjectName(QStringLiteral("KaraokeNote"));
    keyUp_->setChecked(tapping_.releaseTimed());
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(restart_);
    buttons->addWidget(ruby_);
    buttons->addWidget(keyUp_);
    buttons->addWidget(note_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    connect(restart_, &QPushButton::clicked, this, [this] { tapping_.restartLine(); });
    connect(keyUp_, &QCheckBox::toggled, this, [this](bool on) { tapping_.setReleaseTimed(on); });
    connect(view_, &KaraokeLinesView::cutRefused, note_, &QLabel::setText);
    noted_ = tapping_.noted.connect(
        [this](const std::string& note) { note_->setText(QString::fromStdString(note)); });
}

void KaraokeTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The assigned keys act wherever no text is typed; here they tap.
    view_->setFocus();
}

}  // namespace obrin
