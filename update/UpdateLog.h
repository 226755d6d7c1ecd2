// The update log: "Launcher.log" in the program folder, one CR LF line per
// failed text fetch. The file is opened and closed around every line.
#pragma once

#include <string>

void AppendUpdateLog(const std::string& line);
