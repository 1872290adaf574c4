#include "document/VantorelDoc.h"

#include "conversion/BusyIndicator.h"
#include "document/NeighbourFiles.h"
#include "document/OutputNaming.h"
#include "document/Recipe.h"
#include "document/SaveDialogFilter.h"
#include "document/UserPrompt.h"
#include "codec/CodecErrors.h"
#include "codec/PixelBuffer.h"
#include "image/ImageRotation.h"
#include "image/ImageStatusText.h"
#include "platform/ProfileStore.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kMessageLastFile = "This is already the last file in the directory";
constexpr const char* kMessageFirstFile = "This is already the first file in the directory";
constexpr const char* kMessageNothingSaved = "Nothing was saved!";
constexpr const char* kMessageReadOnly = "The existing file is read only and it can't be overwritten.";
constexpr const char* kMessageNotSaved = "The image could not be saved.";
constexpr const char* kSaveDialogTitle = "Save image";
constexpr const char* kPastedTitle = "Pasted";
constexpr const char* kMessageNotPasted = "Cannot paste the picture: ";
constexpr const char* kMessageRecipeRefused = "The recipe was not loaded; the settings are unchanged.";
constexpr const char* kMessageRecipeNotSaved = "The recipe could not be saved.";

bool EndsWithJpg(const std::string& path)
{
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == "jpg";
}

// A file nobody may write (no write permission bit), or that this user may not write.
bool IsReadOnlyFile(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    return (status.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

}  // namespace

void CVantorelDoc::SetBusyIndicator(CBusyIndicator* busy)
{
    busy_ = busy;
    conversion.SetBusyIndicator(busy);
}

void CVantorelDoc::SetProfile(CProfileStore* profile, const SaveSettings& saveSettings)
{
    profile_ = profile;
    saveSettings_ = saveSettings;
    if (profile_ != nullptr) keepMetadata_ = profile_->GetInt(profile::kSettings, profile::kKeepMetadata, 1) != 0;
}

void CVantorelDoc::SetKeepMetadata(bool keep)
{
    keepMetadata_ = keep;
    if (profile_ != nullptr) profile_->WriteInt(profile::kSettings, profile::kKeepMetadata, keep ? 1 : 0);
}

void CVantorelDoc::ShowMessage(const std::string& text) const
{
    if (prompt_ != nullptr) prompt_->ShowMessage(text);
}

bool CVantorelDoc::LoadImageFile(const std::string& path)
{
    BusyScope busy(busy_);
    if (conversion.source.Load(path.c_str()) != kImageOk) return false;
    conversion.NormalizeNonSquareSource();
    if (host_ != nullptr) host_->SetDocument(this);
    conversion.UpdateConversion(false);
    UpdateAllViews();
    return true;
}

bool CVantorelDoc::RotateSource(bool clockwise)
{
    BusyScope busy(busy_);
    CRasterImage turned;
    if (RotateQuarterTurn(conversion.source, turned, clockwise) != kImageOk) return false;
    conversion.source.TakeOver(turned);
    // The turned picture keeps its square pixels; the sides the file was read with turn with it.
    std::swap(conversion.settings.sourceWidth, conversion.settings.sourceHeight);
    conversion.UpdateConversion(false);
    UpdateAllViews();
    return true;
}

bool CVantorelDoc::PasteImage(std::uint32_t width, std::uint32_t height, const std::function<bool(std::uint8_t* rows)>& copyRows)
{
    BusyScope busy(busy_);
    CRasterImage picture;
    // The same budget as for a file, checked before the picture is asked for.
    if (!codec::RasterBytes(width, height, 24) || picture.Create(width, height, 24) != kImageOk || !copyRows(picture.Pixels())) {
        ShowMessage(std::string(kMessageNotPasted) + LoadFailureText(kCodecErrOutOfMemory, "") + ".");
        return false;
    }
    conversion.source.TakeOver(picture);
    conversion.NormalizeNonSquareSource();
    ClearPathName();
    SetTitle(kPastedTitle);
    if (host_ != nullptr) host_->SetDocument(this);
    conversion.UpdateConversion(false);
    UpdateAllViews();
    return true;
}

bool CVantorelDoc::OnNewDocument()
{
    ClearPathName();
    if (host_ != nullptr) host_->SetDocument(this);
    return true;
}

void CVantorelDoc::OnCloseDocument()
{
    if (host_ != nullptr) host_->SetDocument(nullptr);
}

void CVantorelDoc::OnReloadFile()
{
    const std::string path = PathName();
    struct stat status {};
    if (!path.empty() && stat(path.c_str(), &status) == 0) LoadImageFile(path);
}

void CVantorelDoc::LoadNeighbourImage(const std::string& currentPath, bool forward)
{
    if (currentPath.empty()) return;
    const NeighbourResult neighbour = FindNeighbour(ListNeighbourFiles(currentPath), currentPath, forward);
    switch (neighbour.step) {
    case NeighbourStep::AlreadyLast: ShowMessage(kMessageLastFile); break;
    case NeighbourStep::AlreadyFirst: ShowMessage(kMessageFirstFile); break;
    case NeighbourStep::Found:
        // The path moves on even when the file cannot be read, so a further step continues from it.
        LoadImageFile(neighbour.path);
        SetPathName(neighbour.path, true);
        break;
    case NeighbourStep::NotListed: break;
    }
}

void CVantorelDoc::OnLoadNextImage()
{
    if (!PathName().empty()) LoadNeighbourImage(PathName(), true);
}

void CVantorelDoc::OnLoadPreviousImage()
{
    if (!PathName().empty()) LoadNeighbourImage(PathName(), false);
}

bool CVantorelDoc::DoSave(const std::string& path, bool /*replace: both save commands set it*/)
{
    if (!path.empty()) return OnSaveDocument(path);

    // With nothing open the proposal falls back on the title: "Untitled_16x9".
    const ProposedName proposed = ProposeOutputName(PathName(), Title(), conversion.settings.ToFourThree());

    SaveDialogRequest request;
    request.defaultType = DefaultSaveType(proposed.sourceExtension);
    request.initialName = proposed.name;
    request.filter = SaveDialogFilter(request.defaultType);
    request.title = kSaveDialogTitle;
    const bool fixedFolder = saveSettings_.UsesFixedFolder();
    request.initialFolder = fixedFolder ? saveSettings_.savePath
                                        : (profile_ != nullptr ? profile_->GetString(profile::kDocument, profile::kOutFolder, "") : "");
    const std::optional<std::string> chosen = prompt_ != nullptr ? prompt_->AskSavePath(request) : std::nullopt;
    if (!chosen) return false;
    if (const std::size_t slash = chosen->find_last_of('/'); slash != std::string::npos && !fixedFolder && profile_ != nullptr)
        profile_->WriteString(profile::kDocument, profile::kOutFolder, chosen->substr(0, slash));

    JpegChoice jpeg = jpegChoice;
    const bool squeezed = PrepareSave();
    if (EndsWithJpg(*chosen)) {
        // The dialog estimates the picture that will be written, and what it accepts is what is written
        // and what the next save and a recipe start from.
        JpegOptionsRequest options;
        options.picture = &conversion.output;
        options.quality = jpegChoice.quality;
        options.enhancedSampling = jpegChoice.fullChroma;
        options.targetKilobytes =
            profile_ != nullptr ? profile_->GetInt(profile::kSettings, profile::kJpegTarget, profile::kDefaultJpegTargetKb)
                                : profile::kDefaultJpegTargetKb;
        if (!prompt_->EditJpegOptions(options)) {
            RestoreDisplayOutput(conversion, squeezed);
            ShowMessage(kMessageNothingSaved);
            return false;
        }
        if (profile_ != nullptr) profile_->WriteInt(profile::kSettings, profile::kJpegTarget, options.targetKilobytes);
        jpegChoice.quality = options.quality;
        jpegChoice.fullChroma = options.enhancedSampling;
        jpegChoice.targetBytes = 0;  // the person chose the quality
        jpeg = jpegChoice;
    }
    BusyScope busy(busy_);
    const bool saved = SaveOutputImage(*chosen, jpeg);
    RestoreDisplayOutput(conversion, squeezed);
    return saved;
}

bool CVantorelDoc::OnSaveDocument(const std::string& path)
{
    const bool squeezed = PrepareSave();
    const bool saved = SaveOutputImage(path, jpegChoice);
    RestoreDisplayOutput(conversion, squeezed);
    return saved;
}

bool CVantorelDoc::PrepareSave()
{
    conversion.output.keepMetadata = keepMetadata_;
    return PrepareOutputForSave(conversion);
}

bool CVantorelDoc::SaveOutputImage(const std::string& path, const JpegChoice& jpeg)
{
    if (IsReadOnlyFile(path)) {
        ShowMessage(kMessageReadOnly);
        return false;
    }
    if (const int status = WriteOutputImage(conversion.output, path, jpeg); status != kImageOk) {
        ShowMessage(std::string(kMessageNotSaved) + "\n\n" + path + ": " + SaveFailureText(status));
        return false;
    }
    return true;
}

bool CVantorelDoc::LoadRecipe(const std::string& path)
{
    const std::int32_t oldDirection = conversion.settings.direction;
    std::string error;
    if (!ReadRecipeFile(path, conversion.settings, jpegChoice, error)) {
        ShowMessage(std::string(kMessageRecipeRefused) + "\n\n" + path + ": " + error);
        return false;
    }
    // As after a change of direction in the panel, the picture is read again for the new direction.
    if (conversion.settings.direction != oldDirection) OnReloadFile();
    conversion.UpdateConversion(false);
    if (host_ != nullptr) host_->SetDocument(this);
    UpdateAllViews();
    return true;
}

bool CVantorelDoc::SaveRecipe(const std::string& path) const
{
    if (WriteRecipeFile(path, conversion.settings, jpegChoice)) return true;
    ShowMessage(std::string(kMessageRecipeNotSaved) + "\n\n" + path);
    return false;
}

std::string CVantorelDoc::CommandLine() const
{
    return ConvertCommandLine(conversion.settings, jpegChoice, PathName());
}
