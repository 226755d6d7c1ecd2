// The subcommands of publish. Each takes the words after its name and returns
// the process exit code: 0 success, 1 a failed check or refused input, 2 a
// usage error.
#pragma once

#include <optional>
#include <string>
#include <vector>

using Args = std::vector<std::string>;

int RunMake(const Args& args);
int RunDecode(const Args& args);
int RunVerify(const Args& args);
int RunVerifyInstall(const Args& args);
int RunMd5(const Args& args);
int RunKeygen(const Args& args);
int RunPrune(const Args& args);

// Prints `usage` and gives the exit code when the words ask for help (0, on
// standard output) or do not fit the command (2, on standard error); gives
// nothing when the command should run.
std::optional<int> UsageExit(const Args& args, const char* usage, bool wordsFit);
