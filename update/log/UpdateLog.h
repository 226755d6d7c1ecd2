// The update log: "Launcher.log" in the program folder, one CR LF line per
// failed text fetch, refused release, target that stayed locked, volume
// without room, new launcher given up on after failed hand-overs, and
// install that a start found unfinished and finished or put back. The
// file is opened and closed around every line.
#pragma once

#include <string>

void AppendUpdateLog(const std::string& line);
