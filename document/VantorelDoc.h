#pragma once
// CVantorelDoc: the program's one document. It holds the picture being converted (through its
// CConversion: source image, output image, settings), opens files into it, steps through the pictures of
// a folder and saves the converted picture under the proposed name.
//
// It owns its conversion by value for its whole life; opening another file reuses it. Everything that
// needs a person goes through the interfaces it is given (prompt, host window, busy indicator, recent
// files, profile), none owned and each optional: without a prompt, questions are answered "cancel" and
// messages are dropped. It never includes a widget.

#include "conversion/Conversion.h"
#include "document/DocumentBase.h"
#include "document/ProfileSettings.h"
#include "document/SavePipeline.h"

#include <cstdint>
#include <functional>
#include <string>

class CBusyIndicator;
class CDocumentHost;
class CProfileStore;
class CUserPrompt;

class CVantorelDoc : public CDocumentBase {
public:
    CConversion conversion;
    // The JPEG writer's settings: what the JPEG dialog last accepted, or what a recipe brought.
    JpegChoice jpegChoice;

    void SetPrompt(CUserPrompt* prompt) { prompt_ = prompt; }
    void SetHost(CDocumentHost* host) { host_ = host; }
    void SetBusyIndicator(CBusyIndicator* busy);
    // The profile for the save dialog's folders, the JPEG size target and "Keep Metadata" (read from it
    // here); the save settings come with it.
    void SetProfile(CProfileStore* profile, const SaveSettings& saveSettings);

    // "Keep Metadata": whether a saved picture carries the colour profile, Exif and XMP its source
    // carried. On by default; a change is written to the profile at once.
    bool KeepMetadata() const { return keepMetadata_; }
    void SetKeepMetadata(bool keep);

    // Reads the file into the source image, normalises it and converts it. False (silently) when the
    // file cannot be read: the old output, the path and the views stay as they were.
    bool LoadImageFile(const std::string& path);
    bool OnOpenDocument(const std::string& path) { return LoadImageFile(path); }
    // File New: the path empties, the pictures and settings stay.
    bool OnNewDocument();
    void OnCloseDocument();
    // Reads the current file again (after a change of direction); nothing when it no longer exists.
    void OnReloadFile();
    void LoadNeighbourImage(const std::string& currentPath, bool forward);
    void OnLoadNextImage();
    void OnLoadPreviousImage();
    // The neighbour commands are enabled exactly when a file is open.
    bool CanLoadNeighbourImage() const { return !PathName().empty(); }

    // Save and Save As: proposes a name, asks for the path (and, for JPEG, the options), writes.
    bool DoSave(const std::string& path, bool replace);
    bool OnSaveDocument(const std::string& path);

    // Turns the source picture a quarter clockwise or counter-clockwise and converts it again; the file is
    // not touched, so Reload brings back the picture as stored. False when nothing is loaded or memory
    // runs short (the source stays as it was).
    bool RotateSource(bool clockwise);
    bool CanRotateSource() const { return conversion.source.HasPixels(); }
    // Makes a picture from outside any file (the clipboard's) the source of an untitled document titled
    // "Pasted", and converts it. `copyRows` fills the width x height 24-bit picture (red, green, blue,
    // rows of width x 3 bytes, top first) and says whether it could. A picture over the pixel budget is
    // refused with a message before anything is allocated or changed; so is one that cannot be copied
    // (memory runs short); false then.
    bool PasteImage(std::uint32_t width, std::uint32_t height, const std::function<bool(std::uint8_t* rows)>& copyRows);

    // Recipes: the settings and jpegChoice to and from a recipe file. A recipe that cannot be read or is
    // refused changes nothing and shows a message naming the file and the line; a loaded one is shown
    // by the panels and the view at once.
    bool LoadRecipe(const std::string& path);
    bool SaveRecipe(const std::string& path) const;
    // The "lumatrine-cli convert" line that converts the open file as this document would.
    std::string CommandLine() const;

    // Conversion operations, reached through the document by the panels.
    bool UpdateConversion(bool panOnly) { return conversion.UpdateConversion(panOnly); }
    void PanCrop(double dx, double dy) { conversion.PanCrop(dx, dy); }
    void ResetSplitPoint() { conversion.ResetSplitPoint(); }

private:
    void ShowMessage(const std::string& text) const;
    // Readies the output for a save: it carries the source's metadata as "Keep Metadata" says, before the
    // JPEG dialog estimates the file from it, and is squeezed into the D1 frame where the format asks.
    // True when it was squeezed (RestoreDisplayOutput undoes that).
    bool PrepareSave();
    // Writes the prepared output image to `path` with the JPEG settings; reports a read-only target or a
    // failed write in a message. True when the file was written.
    bool SaveOutputImage(const std::string& path, const JpegChoice& jpeg);

    CUserPrompt* prompt_ = nullptr;
    CDocumentHost* host_ = nullptr;
    CBusyIndicator* busy_ = nullptr;
    CProfileStore* profile_ = nullptr;
    SaveSettings saveSettings_;
    bool keepMetadata_ = true;
};
