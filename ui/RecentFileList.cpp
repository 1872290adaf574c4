#include "ui/RecentFileList.h"

#include "document/ProfileSettings.h"
#include "platform/ProfileStore.h"

#include <algorithm>

namespace {

std::string SlotName(int index) { return "File" + std::to_string(index + 1); }

}  // namespace

void CRecentFileList::AddRecentFile(const std::string& path)
{
    if (path.empty()) return;
    std::string entry = path;   // `path` may be one of the entries moved below
    std::erase(paths_, entry);
    paths_.insert(paths_.begin(), std::move(entry));
    if (static_cast<int>(paths_.size()) > capacity_) paths_.resize(capacity_);
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < static_cast<int>(paths_.size())) paths_.erase(paths_.begin() + index);
}

void CRecentFileList::ReadList(const CProfileStore& profile)
{
    paths_.clear();
    for (int i = 0; i < capacity_; ++i) {
        std::string path = profile.GetString(profile::kRecentFiles, SlotName(i), "");
        if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end())
            paths_.push_back(std::move(path));
    }
}

void CRecentFileList::WriteList(CProfileStore& profile) const
{
    for (int i = 0; i < capacity_; ++i)
        profile.WriteString(profile::kRecentFiles, SlotName(i), i < static_cast<int>(paths_.size()) ? paths_[i] : "");
}
