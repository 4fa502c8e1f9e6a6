// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HistoryChart.h"

#include "platform/qt/QtSystemText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lexfall {

namespace {

constexpr int kTickCount = 4;
constexpr qreal kPointRadius = 2.0;

// A step of 1, 2 or 5 times a power of ten that splits span into about count parts.
double NiceStep(double span, int count) {
    const double rough = std::max(span / count, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10.0 * power;
}

// A whole figure as the records page writes them (no grouping), also past 32 bits.
QString AxisFigure(double value) {
    return QString::number(static_cast<qlonglong>(value));
}

struct Span {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    void Take(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    bool Empty() const { return low > high; }
};

} // namespace

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent) {}

void HistoryChart::SetGames(const std::vector<PlayedGame>* games) {
    games_ = games;
    update();
}

void HistoryChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    if (games_ == nullptr || games_->empty())
        return;
    const std::vector<PlayedGame>& games = *games_;

    // The value axis runs from 0 (or the lowest total) to a round figure above the highest.
    Span totals;
    totals.Take(0);
    for (const PlayedGame& game : games)
        totals.Take(game.total);
    const double step = NiceStep(totals.high - totals.low, kTickCount);
    const double bottom = std::floor(totals.low / step) * step;
    const double top = std::max(std::ceil(totals.high / step) * step, bottom + step);

    const QFontMetrics metrics(font());
    int labelWidth = 0;
    for (double value = bottom; value <= top; value += step)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(AxisFigure(value)));
    const QRectF plot = QRectF(rect()).adjusted(labelWidth + 10, metrics.height() / 2.0 + 4, -10,
                                                -(metrics.height() + 6));
    const auto y = [&](double value) {
        return plot.bottom() - (value - bottom) / (top - bottom) * plot.height();
    };
    const std::size_t count = games.size();
    const auto x = [&](std::size_t index) {
        return count == 1 ? plot.center().x()
                          : plot.left() + plot.width() * static_cast<double>(index) /
                                              static_cast<double>(count - 1);
    };

    // Grid and the value axis's figures.
    painter.setFont(font());
    for (double value = bottom; value <= top + step / 2; value += step) {
        painter.setPen(QColor(224, 224, 224));
        painter.drawLine(QPointF(plot.left(), y(value)), QPointF(plot.right(), y(value)));
        painter.setPen(Qt::black);
        const QString text = AxisFigure(value);
        painter.drawText(
            QRectF(0, y(value) - metrics.height() / 2.0, labelWidth + 4, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, text);
    }

    // The dates of the first and the last game under the ends of the time axis.
    const QString first = FromSystemText(FormatPlayedDate(games.front().endedAt));
    const QString last = FromSystemText(FormatPlayedDate(games.back().endedAt));
    const QRectF dates(plot.left(), plot.bottom() + 3, plot.width(), metrics.height());
    painter.drawText(dates, Qt::AlignLeft | Qt::AlignTop, first);
    if (count > 1 && metrics.horizontalAdvance(first + last) + 20 < plot.width())
        painter.drawText(dates, Qt::AlignRight | Qt::AlignTop, last);

    // The games: a point each up to one a pixel, else the span of each device pixel column.
    const double columns = plot.width() * devicePixelRatioF();
    if (static_cast<double>(count) <= plot.width()) {
        for (std::size_t i = 0; i < count; ++i) {
            const QPointF at(x(i), y(games[i].total));
            painter.setPen(games[i].cleared ? kClearedColour : kPointColour);
            painter.setBrush(games[i].cleared ? QBrush(Qt::NoBrush) : QBrush(kPointColour));
            painter.drawEllipse(at, kPointRadius, kPointRadius);
        }
    } else {
        const auto columnCount = static_cast<std::size_t>(columns);
        std::vector<Span> played(columnCount + 1);
        std::vector<Span> cleared(columnCount + 1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t column = i * columnCount / count;
            (games[i].cleared ? cleared : played)[column].Take(games[i].total);
        }
        const double width = plot.width() / static_cast<double>(columnCount);
        for (const auto& [spans, colour] :
             {std::pair{&cleared, kClearedColour}, std::pair{&played, kPointColour}}) {
            painter.setPen(QPen(colour, std::max(width, 1.0 / devicePixelRatioF())));
            for (std::size_t c = 0; c < columnCount; ++c)
                if (!(*spans)[c].Empty()) {
                    const double at = plot.left() + (static_cast<double>(c) + 0.5) * width;
                    painter.drawLine(QPointF(at, y((*spans)[c].low) + 0.5),
                                     QPointF(at, y((*spans)[c].high) - 0.5));
                }
        }
    }

    // The best so far, as steps: it rises at the game that beat it.
    QPainterPath best;
    bool started = false;
    std::int32_t highest = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (games[i].cleared || (started && games[i].total <= highest))
            continue;
        highest = games[i].total;
        const QPointF at(x(i), y(highest));
        if (!started)
            best.moveTo(at);
        else {
            best.lineTo(at.x(), best.currentPosition().y());
            best.lineTo(at);
        }
        started = true;
    }
    if (started) {
        best.lineTo(x(count - 1), best.currentPosition().y());
        painter.setPen(QPen(kBestColour, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(best);
    }
    const bool anyCleared = std::any_of(games.begin(), games.end(),
                                        [](const PlayedGame& game) { return game.cleared; });
    DrawLegend(painter, plot.topLeft() + QPointF(6, 2), anyCleared);
}

void HistoryChart::DrawLegend(QPainter& painter, QPointF at, bool withCleared) const {
    // Over the plot's top left corner, where a player who gets better has the fewest points.
    const QFontMetrics metrics(font());
    const QString bestText = QStringLiteral("best so far");
    const QString gameText = QStringLiteral("a game");
    const QString clearedText = QStringLiteral("board cleared");
    const qreal mark = 14;
    const qreal gap = 10;
    qreal width = mark + 4 + metrics.horizontalAdvance(bestText) + gap + 8 +
                  metrics.horizontalAdvance(gameText);
    if (withCleared)
        width += gap + 8 + metrics.horizontalAdvance(clearedText);
    const QRectF box(at, QSizeF(width + 8, metrics.height() + 2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box);

    const qreal middle = box.center().y();
    qreal left = box.left() + 4;
    const auto text = [&](const QString& label) {
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(left, box.top(), metrics.horizontalAdvance(label) + 1, box.height()),
            Qt::AlignLeft | Qt::AlignVCenter, label);
        left += metrics.horizontalAdvance(label) + gap;
    };
    painter.setPen(QPen(kBestColour, 1.5));
    painter.drawLine(QPointF(left, middle), QPointF(left + mark, middle));
    left += mark + 4;
    text(bestText);
    painter.setPen(kPointColour);
    painter.setBrush(kPointColour);
    painter.drawEllipse(QPointF(left + kPointRadius, middle), kPointRadius, kPointRadius);
    left += 8;
    text(gameText);
    if (withCleared) {
        painter.setPen(kClearedColour);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(left + kPointRadius, middle), kPointRadius, kPointRadius);
        left += 8;
        text(clearedText);
    }
}

} // namespace lexfall
