// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SpeedField.h"

#include "text/Error.h"

#include <gtest/gtest.h>

#include <string>

namespace lexfall {
namespace {

TEST(SpeedFieldTest, LeavingTheFieldConvertsItsDigits) {
    struct Case {
        const char* text;
        std::int16_t expected;
    };
    const Case cases[] = {
        {"0", 0},       {"   0", 0},  {" 750", 750},   {"7 5 0", 750},
        {"9999", 9999}, {"  -1", -1}, {"70000", 4464}, {"65535", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SpeedFromFieldText(c.text), c.expected);
    }
}

TEST(SpeedFieldTest, NonNumbersRaiseTheConversionErrorForTheBlankFreeText) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "'' is not a valid integer value"},
        {"    ", "'' is not a valid integer value"},
        {"ab", "'ab' is not a valid integer value"},
        {" 1 x", "'1x' is not a valid integer value"},
        {"99999999999", "'99999999999' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            SpeedFromFieldText(c.text);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(SpeedFieldTest, FieldShowsFourPlacesBlankOnTheLeft) {
    struct Case {
        std::int32_t speed;
        const char* text;
    };
    const Case cases[] = {
        {750, " 750"},
        {1, "   1"},
        {9999, "9999"},
        // Out of the arrows' range: the nearest value in it.
        {0, "   1"},
        {-1, "   1"},
        {-32768, "   1"},
        {32767, "9999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(SpeedFieldText(c.speed), c.text);
    }
}

TEST(SpeedFieldTest, ArrowsStepByTenWithinOneTo9999) {
    struct Case {
        const char* text;
        int lastPosition;
        bool up;
        int expected;
    };
    const Case cases[] = {
        {" 750", 750, true, 760},
        {" 750", 750, false, 740},
        {"   5", 5, false, 1},
        {"9995", 9995, true, 9999},
        {"   0", 1, true, 10},
        {"   0", 1, false, 1},
        // The typed number counts, not the arrows' last position.
        {" 300", 750, true, 310},
        // Nothing readable in the field: the arrows step from their last position.
        {"    ", 750, true, 760},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.up ? " up" : " down"));
        EXPECT_EQ(StepSpeedField(c.text, c.lastPosition, c.up), c.expected);
    }
}

} // namespace
} // namespace lexfall
