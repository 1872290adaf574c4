#pragma once
// "Convert Folder...": CFolderConvertDlg chooses the folder of pictures and the folder the converted
// pictures go to, and shows how many pictures the first one holds (the files folder stepping would
// visit). RunConvertFolderCommand is the whole command around it: the dialog, one question when
// converted pictures exist already, the progress window and the summary.

#include <QDialog>

#include <cstddef>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
struct ConversionSettings;
struct JpegChoice;

class CFolderConvertDlg : public QDialog {
    Q_OBJECT
public:
    CFolderConvertDlg(QWidget* owner, const QString& pictureFolder, const QString& outputFolder);

    QString PictureFolder() const;
    QString OutputFolder() const;

    QLineEdit& PictureFolderEdit() { return *pictureEdit; }
    QLineEdit& OutputFolderEdit() { return *outputEdit; }
    QLabel& CountText() { return *countText; }
    QPushButton& ConvertButton() { return *convertButton; }

private:
    void Browse(QLineEdit* edit, const QString& title);
    // Lists the picture folder and shows how many pictures it holds.
    void CountPictures();
    // Convert may be pressed while both folders exist and the picture folder holds a picture.
    void UpdateConvertButton();

    QLineEdit* pictureEdit = nullptr;
    QLineEdit* outputEdit = nullptr;
    QLabel* countText = nullptr;
    QPushButton* convertButton = nullptr;
    // The pictures in the picture folder as last listed.
    std::size_t pictureCount = 0;
};

// Converts a folder with these settings, each picture under its proposed name in the output folder,
// with its source's metadata while `keepMetadata`. Both folders start at `startFolder`. Returns when the
// summary is closed, or at once when cancelled.
void RunConvertFolderCommand(QWidget* owner, const ConversionSettings& settings, const JpegChoice& jpeg,
                             bool keepMetadata, const std::string& startFolder);
