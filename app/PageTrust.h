// Which pages may command the launcher: the top-level document of one of its
// own browsers, while that document is on one of the operator's hosts. What
// comes from anywhere else is dropped, with a line for the debugger that says
// why, so an operator can see what a page tried.
#pragma once

#include <string>

namespace SkinUI {
class CWebBrowserUI;
}  // namespace SkinUI

// True when the browser's top-level document is on an operator host;
// otherwise reports `command` as ignored.
bool ShowsOperatorPage(const SkinUI::CWebBrowserUI& browser, const char* command);

// Writes "Launcher: <command> ignored: <reason>" to the debugger.
void ReportIgnoredCommand(const char* command, const std::string& reason);
