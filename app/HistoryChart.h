// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/HistoryLine.h"

#include <QPointF>
#include <QWidget>

#include <vector>

class QPainter;

namespace lexfall {

// The totals of every game in the order played: each game a point, the best so far a line.
// Drawn in the widget's own coordinates, antialiased and never cached as a picture, so it is
// as sharp at any scale factor as the text beside it. A game with the board cleared is a
// hollow grey point and does not move the best. Past one game per pixel, each device pixel
// column shows the span of its games' totals.
class HistoryChart : public QWidget {
public:
    explicit HistoryChart(QWidget* parent);

    // games must outlive the chart or the next call.
    void SetGames(const std::vector<PlayedGame>* games);

    static inline const QColor kPointColour{0, 0, 128};
    static inline const QColor kClearedColour{128, 128, 128};
    static inline const QColor kBestColour{0, 128, 0};

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawLegend(QPainter& painter, QPointF at, bool withCleared) const;

    const std::vector<PlayedGame>* games_ = nullptr;
};

} // namespace lexfall
