// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace lexfall {

// Today's date and the clock, behind one seam so tests can fix them.
class Clock {
public:
    virtual ~Clock() = default;
    // Today's local date as a whole day count since 30 December 1899.
    virtual double Today() const = 0;
    // The local date and time: a day count whose fraction is the time of day. A clock that
    // knows only the date gives its midnight.
    virtual double Now() const { return Today(); }
    // A value that changes from run to run, to seed the random generator.
    virtual std::uint64_t SeedValue() const = 0;
};

class SystemClock final : public Clock {
public:
    double Today() const override;
    double Now() const override;
    std::uint64_t SeedValue() const override;
};

} // namespace lexfall
