#pragma once
// CDocumentBase: what a document of the desktop program is besides its content: the path name of the
// file it shows, its title ("Untitled" until a file is opened), the modified flag (never set by this
// program, so nothing ever asks to save before closing) and the views it tells about changes.

#include <functional>
#include <string>
#include <vector>

class CRecentFiles;

class CDocumentBase {
public:
    virtual ~CDocumentBase() = default;

    const std::string& PathName() const { return pathName_; }
    const std::string& Title() const { return title_; }
    // Sets the path and the title (the file's name); adds the path to the recent files when asked.
    void SetPathName(const std::string& path, bool addToRecentFiles);
    // Empties the path; the title becomes "Untitled".
    void ClearPathName();
    // A document without a file may carry another title (a pasted picture is "Pasted").
    void SetTitle(const std::string& title) { title_ = title; }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified) { modified_ = modified; }

    void SetRecentFiles(CRecentFiles* recentFiles) { recentFiles_ = recentFiles; }
    // Views repaint when the document says so; each registration returns nothing to unregister, the
    // views live as long as the document in this program.
    void AddView(std::function<void()> repaint) { views_.push_back(std::move(repaint)); }
    void UpdateAllViews() const;

private:
    std::string pathName_;
    std::string title_ = "Untitled";
    bool modified_ = false;
    CRecentFiles* recentFiles_ = nullptr;
    std::vector<std::function<void()>> views_;
};
