// The update engine's state: the download session, the fetched version and
// file list, and the list of files to download.
#pragma once

class CUpdateStore {
public:
    CUpdateStore() = default;
};
