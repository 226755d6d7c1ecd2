// The optional "-channelId=" switch at the start of the command line. It is
// only recorded: the number before the first space, and the text after it.
#pragma once

#include <string>

struct ChannelSwitch {
    int nChannelId = -1;
    std::string sCmdTail;
};

// Leaves both fields at their initial values unless the command line starts
// exactly (case-sensitively) with "-channelId=".
ChannelSwitch ParseChannelSwitch(const std::string& cmdLine);
