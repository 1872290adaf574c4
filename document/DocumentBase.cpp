#include "document/DocumentBase.h"

#include "document/UserPrompt.h"

void CDocumentBase::SetPathName(const std::string& path, bool addToRecentFiles)
{
    pathName_ = path;
    const std::size_t slash = path.find_last_of('/');
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
    if (addToRecentFiles && recentFiles_ != nullptr) recentFiles_->AddRecentFile(path);
}

void CDocumentBase::ClearPathName()
{
    pathName_.clear();
    title_ = "Untitled";
}

void CDocumentBase::UpdateAllViews() const
{
    for (const auto& repaint : views_) repaint();
}
