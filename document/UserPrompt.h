#pragma once
// What the document asks of a person, as small interfaces: the desktop program answers with dialogs
// and message boxes, the tests with fakes. The document never waits on a window itself.

#include <optional>
#include <string>

class CRasterImage;
class CVantorelDoc;

// The save dialog's question.
struct SaveDialogRequest {
    std::string defaultType;    // "*.jpg": the type preselected
    std::string initialName;    // proposed name, without extension
    std::string filter;         // "Description (*.ext)|*.ext|...|"
    std::string title;          // "Save image"
    std::string initialFolder;
};

// The JPEG options dialog's question and, when accepted, its answer.
struct JpegOptionsRequest {
    const CRasterImage* picture = nullptr;  // the picture that will be written, 24 bits
    int quality = 92;
    bool enhancedSampling = true;
    int targetKilobytes = 250;              // the size "Suggest Quality" aims below
};

class CUserPrompt {
public:
    virtual ~CUserPrompt() = default;
    // A warning with an OK button, titled "Lumatrine NR".
    virtual void ShowMessage(const std::string& text) = 0;
    // The chosen full path, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> AskSavePath(const SaveDialogRequest& request) = 0;
    // Fills the answer into `request`; false when cancelled.
    virtual bool EditJpegOptions(JpegOptionsRequest& request) = 0;
};

// The window that presents the document: told when the document arrives (or leaves, with null).
class CDocumentHost {
public:
    virtual ~CDocumentHost() = default;
    virtual void SetDocument(CVantorelDoc* document) = 0;
};

// The recent-file list of the File menu.
class CRecentFiles {
public:
    virtual ~CRecentFiles() = default;
    virtual void AddRecentFile(const std::string& path) = 0;
};
