// The update log: "Launcher.log" in the program folder, one CR LF line per
// failed text fetch, refused release, target that stayed locked, volume
// without room, and new launcher given up on after failed hand-overs. The
// file is opened and closed around every line.
#pragma once

#include <string>

void AppendUpdateLog(const std::string& line);
