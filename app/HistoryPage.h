// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The history page, reached from the records page: the ten best games, how the last hundred
// went, and a chart of every total. Made the first time it is shown (TForm1::History).
#include "platform/Regional.h"
#include "records/HistoryLine.h"
#include "records/HistorySummary.h"

#include <array>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace lexfall {

class HistoryChart;

class HistoryPage {
public:
    // The columns of the ten best, left to right.
    enum Column { Rank, Total, Words, Letters, Seconds, Date, kColumnCount };

    // A hidden, disabled page on parent, in the place of the others.
    explicit HistoryPage(QWidget* parent);

    // Shows games, which must stay alive until the next call, and why the file was last
    // refused (empty when it was not).
    void Show(const std::vector<PlayedGame>& games, const std::string& refusal,
              const RegionalSettings& regional);

    QFrame* PanelHistory = nullptr;
    std::array<std::array<QLabel*, kColumnCount>, HistorySummary::kBestCount> Best{};
    QLabel* LabelGames = nullptr;  // how many games were played
    QLabel* LabelRecent = nullptr; // average and median of the last hundred
    QLabel* LabelEmpty = nullptr;  // in the chart's place before the first game
    QLabel* LabelNote = nullptr;   // why games are not being kept
    HistoryChart* Chart = nullptr;
    QPushButton* Button11 = nullptr; // "&Records"
    QPushButton* Button12 = nullptr; // "&Continue"
};

} // namespace lexfall
