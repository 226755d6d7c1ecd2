#include "app/ChannelSwitch.h"

#include <gtest/gtest.h>

TEST(ChannelSwitch, RecordsNumberAndTailOnlyForTheExactSwitch) {
    const ChannelSwitch full = ParseChannelSwitch("-channelId=25 more text here");
    EXPECT_EQ(full.nChannelId, 25);
    EXPECT_EQ(full.sCmdTail, "more text here");

    // Without a space the number's length is negative: the number reads as 0
    // and the tail is the whole command line.
    const ChannelSwitch noSpace = ParseChannelSwitch("-channelId=25");
    EXPECT_EQ(noSpace.nChannelId, 0);
    EXPECT_EQ(noSpace.sCmdTail, "-channelId=25");

    const ChannelSwitch trailingSpace = ParseChannelSwitch("-channelId=7 ");
    EXPECT_EQ(trailingSpace.nChannelId, 7);
    EXPECT_EQ(trailingSpace.sCmdTail, "");

    for (const char* ignored : {"", "-channelid=25 x", "-ChannelId=25 x", "channelId=25 x",
                                " -channelId=25 x", "-channelId"}) {
        const ChannelSwitch none = ParseChannelSwitch(ignored);
        EXPECT_EQ(none.nChannelId, -1) << ignored;
        EXPECT_EQ(none.sCmdTail, "") << ignored;
    }
}

TEST(ChannelSwitch, NonNumericAndEmptyNumbersReadAsZero) {
    EXPECT_EQ(ParseChannelSwitch("-channelId= tail").nChannelId, 0);
    EXPECT_EQ(ParseChannelSwitch("-channelId=abc tail").nChannelId, 0);
    EXPECT_EQ(ParseChannelSwitch("-channelId=-3 tail").nChannelId, -3);
    EXPECT_EQ(ParseChannelSwitch("-channelId=12x tail").nChannelId, 12);
}
