// A download's .tmp that is already whole and checked: left by a pass that
// was put back, or that ended on another file before its moves. The next
// pass moves it into place without fetching it again.
#pragma once

#include <string>

class CUpdateStore;
struct FileRecord;

// True when temp has the listed size and digest, and, in a signed release,
// the signed digest too. Only a file of the listed size is read.
bool IsVerifiedTemp(const CUpdateStore& store, const FileRecord& record, const std::string& temp);
