#include "document/dialogs/FileOpenDialog.h"

#include "document/ProfileSettings.h"
#include "document/dialogs/NameFilters.h"
#include "document/dialogs/PrevFileDlg.h"
#include "platform/ProfileStore.h"

namespace {

constexpr const char* kOpenFilter =
    "All Supported Image Files|*.BMP;*.JPG;*.PCX;*.PNG;*.TGA;*.TIF;*.PSD;*.PCD;*.WEBP;*.HEIC;*.HEIF;*.AVIF|"
    "PNG Files (*.PNG)|*.PNG|"
    "JPEG Files (*.JPG)|*.JPG|Windows BMP Files (*.BMP)|*.BMP|ZSoft PCX Files (*.PCX)|*.PCX|"
    "Targa TGA Files (*.TGA)|*.TGA|TIFF Files (*.TIF)|*.TIF|Adobe Photoshop (*.PSD)|*.PSD|"
    "Kodak PhotoCD (*.PCD)|*.PCD|WebP Files (*.WEBP)|*.WEBP|HEIC Files (*.HEIC *.HEIF)|*.HEIC;*.HEIF|"
    "AVIF Files (*.AVIF)|*.AVIF|Metafile (*.WMF)|*.WMF|Metafile (*.EMF)|*.EMF|All files (*.*)|*.*||";

}  // namespace

std::optional<std::string> RunFileOpenDialog(QWidget* parent, CProfileStore& profile)
{
    CPrevFileDlg dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Load image file"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(kOpenFilter));
    const std::string folder = profile.GetString(profile::kDocument, profile::kOpenFolder, "");
    if (!folder.empty()) dialog.setDirectory(QString::fromStdString(folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;

    // The folder is remembered whether or not the file then opens.
    const std::string path = dialog.selectedFiles().constFirst().toStdString();
    const std::size_t slash = path.find_last_of('/');
    profile.WriteString(profile::kDocument, profile::kOpenFolder, slash == std::string::npos ? path : path.substr(0, slash));
    return path;
}
