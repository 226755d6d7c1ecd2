// The update log: "Launcher.log" in the program folder, one CR LF line per
// failed text fetch and per new launcher that an earlier hand-over failed to
// put in place. The file is opened and closed around every line.
#pragma once

#include <string>

void AppendUpdateLog(const std::string& line);
