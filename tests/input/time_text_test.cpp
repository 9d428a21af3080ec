#include "input/time_text.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TimeText, MinutesAndSecondsOfAtLeastTwoDigits) {
    const struct {
        int32_t seconds;
        std::u16string separator, text;
    } cases[] = {
        {0, u":", u"00:00"},        {5, u":", u"00:05"},        {59, u":", u"00:59"},
        {60, u":", u"01:00"},       {65, u" : ", u"01 : 05"},   {600, u":", u"10:00"},
        {6059, u":", u"100:59"},    {125, u"", u"0205"},        {-5, u":", u"00:00"},
        {INT32_MIN, u":", u"00:00"}, {INT32_MAX, u"'", u"35791394'07"},
    };
    for (const auto& c : cases) EXPECT_EQ(TextUtils::timeText(c.seconds, c.separator), c.text) << c.seconds;
}
