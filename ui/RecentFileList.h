#pragma once
// CRecentFileList: the File menu's list of the four files opened last, newest first. Read from the
// profile's "Recent File List" ("File1" to "File4") at start-up and written back at exit. Plain C++.

#include "document/UserPrompt.h"

#include <string>
#include <vector>

class CProfileStore;

class CRecentFileList : public CRecentFiles {
public:
    explicit CRecentFileList(int capacity) : capacity_(capacity) {}

    // Puts `path` first; an entry already listed moves up, the oldest falls off a full list.
    void AddRecentFile(const std::string& path) override;
    void Remove(int index);
    const std::vector<std::string>& Paths() const { return paths_; }

    void ReadList(const CProfileStore& profile);
    // Writes every slot; slots without a file are written empty.
    void WriteList(CProfileStore& profile) const;

private:
    int capacity_;
    std::vector<std::string> paths_;
};
