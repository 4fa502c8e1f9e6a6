// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>

namespace lexfall {

// The rows of the figure labels on the records page (MyScore, MyRecord, WRecord): each
// column is an array indexed by these. Wrapped so the short names stay out of the namespace.
struct FigureRow {
    enum Row : std::size_t {
        Keeper = 0,
        Time = 1,
        Letters = 2,
        Words = 3,
        LettersPerWord = 4,
        WordsPerMinute = 5,
        SecondsPerWord = 6,
        Total = 7,
    };
    static constexpr std::size_t kCount = 8;
};

// The rows a record can break, in the order of the verdict's figures.
constexpr std::array<FigureRow::Row, 4> kRecordFigureRows = {FigureRow::Time, FigureRow::Letters,
                                                             FigureRow::Words, FigureRow::Total};

} // namespace lexfall
