// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HistoryPage.h"

#include "app/FormStyle.h"
#include "app/HistoryChart.h"
#include "platform/qt/QtSystemText.h"
#include "records/Figures.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace lexfall {

namespace {

using style::Place;

struct ColumnPlace {
    const char* heading;
    int left;
    int width;
    Qt::Alignment alignment;
};

// Figures right-aligned under their headings, the date after them.
constexpr ColumnPlace kColumns[HistoryPage::kColumnCount] = {
    {"Rank", 16, 40, Qt::AlignRight},     {"Total", 64, 88, Qt::AlignRight},
    {"Words", 160, 64, Qt::AlignRight},   {"Letters", 232, 64, Qt::AlignRight},
    {"Seconds", 304, 64, Qt::AlignRight}, {"Date", 392, 88, Qt::AlignLeft},
};
constexpr int kHeadingTop = 48;
constexpr int kRowTop = 64;
constexpr int kRowHeight = 14;
constexpr int kChartTop = 248;
constexpr int kChartBottom = 374;

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, int width,
                  Qt::Alignment alignment = Qt::AlignLeft) {
    auto* label = new QLabel(text, parent);
    // Figures and paths only, but never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    Place(label, left, top, width, kRowHeight + 2);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, int left, int top) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setFont(style::BoldFont());
    Place(button, left, top, 75, 25);
    return button;
}

QString Figure(std::int32_t value) {
    return FromSystemText(FormatWhole(value));
}

} // namespace

HistoryPage::HistoryPage(QWidget* parent) {
    PanelHistory = new QFrame(parent);
    // The bevels of the other pages.
    PanelHistory->setFrameStyle(QFrame::Box | QFrame::Sunken);
    PanelHistory->setLineWidth(1);
    PanelHistory->setMidLineWidth(0);
    Place(PanelHistory, 0, 50, 505, 468);
    PanelHistory->hide();
    PanelHistory->setEnabled(false);
    QFrame* page = PanelHistory;

    QLabel* title = MakeLabel(page, QStringLiteral("History"), 24, 24, 200);
    title->setFont(style::BoldFont());
    style::SetTextColour(title, style::kMaroon);

    for (int c = 0; c < kColumnCount; ++c) {
        const ColumnPlace& column = kColumns[c];
        QLabel* heading = MakeLabel(page, QString::fromLatin1(column.heading), column.left,
                                    kHeadingTop, column.width, column.alignment);
        heading->setFont(style::BoldFont());
        for (std::size_t row = 0; row < Best.size(); ++row)
            Best[row][c] = MakeLabel(page, QString(), column.left,
                                     kRowTop + static_cast<int>(row) * kRowHeight, column.width,
                                     column.alignment);
    }

    LabelGames = MakeLabel(page, QString(), 24, 208, 456);
    LabelRecent = MakeLabel(page, QString(), 24, 224, 456);

    Chart = new HistoryChart(page);
    Place(Chart, 16, kChartTop, 473, kChartBottom - kChartTop);
    LabelEmpty = MakeLabel(page,
                           QStringLiteral("No games yet. Every game you finish is kept here: your "
                                          "ten best, and a chart of your totals."),
                           24, kChartTop, 456);
    LabelEmpty->setWordWrap(true);
    LabelEmpty->resize(456, kChartBottom - kChartTop);
    LabelEmpty->setAlignment(Qt::AlignCenter);

    LabelNote = MakeLabel(page, QString(), 24, 380, 360);
    LabelNote->setWordWrap(true);
    LabelNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelNote->resize(360, 80);
    style::SetTextColour(LabelNote, style::kRed);

    Button11 = MakeButton(page, "&Records", 392, 380);
    Button12 = MakeButton(page, "&Continue", 392, 412);
}

void HistoryPage::Show(const std::vector<PlayedGame>& games, const std::string& refusal,
                       const RegionalSettings& regional) {
    const HistorySummary summary = Summarise(games);
    for (std::size_t row = 0; row < Best.size(); ++row) {
        std::array<QString, kColumnCount> texts;
        if (row < summary.best.size()) {
            const PlayedGame& game = summary.best[row];
            texts = {QString::number(row + 1), Figure(game.total),
                     Figure(game.words),       Figure(game.letters),
                     Figure(game.seconds),     FromSystemText(FormatPlayedDate(game.endedAt))};
        }
        for (int c = 0; c < kColumnCount; ++c)
            Best[row][c]->setText(texts[c]);
    }

    LabelGames->setText(QStringLiteral("Games played: ") + QString::number(summary.games));
    if (summary.recentCount > 0)
        LabelRecent->setText(
            QStringLiteral("Last %1 %2: average %3, median %4")
                .arg(summary.recentCount)
                .arg(summary.recentCount == 1 ? QStringLiteral("game") : QStringLiteral("games"))
                .arg(FromSystemText(FormatRatio(*summary.recentAverage, regional)))
                .arg(FromSystemText(FormatRatio(*summary.recentMedian, regional))));
    else
        LabelRecent->clear();

    Chart->SetGames(&games);
    Chart->setVisible(!games.empty());
    LabelEmpty->setVisible(games.empty());
    LabelNote->setText(refusal.empty() ? QString()
                                       : QStringLiteral("Your games are not being kept. ") +
                                             FromSystemText(refusal));
}

} // namespace lexfall
