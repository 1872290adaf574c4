#include "document/dialogs/FolderConvertDlg.h"

#include "document/FolderConversion.h"
#include "document/NeighbourFiles.h"
#include "document/dialogs/ConversionSummaryDlg.h"
#include "document/dialogs/DialogUnits.h"
#include "document/dialogs/FolderProgressWindow.h"
#include "document/dialogs/MessageBox.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr const char* kTitle = "Convert Folder";

// One question for the whole run: replace every existing converted picture, keep them all, or stop.
enum class ExistingAnswer { kReplace, kKeep, kCancel };

ExistingAnswer AskAboutExisting(QWidget* owner, std::size_t existingCount, std::size_t total, const QString& folder)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumatrine NR"),
                    QStringLiteral("%1 of the %2 converted pictures already exist in %3.").arg(existingCount).arg(total).arg(folder),
                    QMessageBox::NoButton, owner);
    box.setInformativeText(QStringLiteral("Replace them, or keep them and convert only the others?"));
    QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(QStringLiteral("Keep Existing"), QMessageBox::RejectRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(keep);
    box.exec();
    if (box.clickedButton() == replace) return ExistingAnswer::kReplace;
    return box.clickedButton() == keep ? ExistingAnswer::kKeep : ExistingAnswer::kCancel;
}

}  // namespace

CFolderConvertDlg::CFolderConvertDlg(QWidget* owner, const QString& pictureFolder, const QString& outputFolder)
    : QDialog(owner)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    UseDialogFont(this);
    pictureEdit = new QLineEdit(pictureFolder, this);
    outputEdit = new QLineEdit(outputFolder, this);
    pictureEdit->setMinimumWidth(DialogUnitSize(this, 200, 12).width());
    countText = new QLabel(this);
    auto* browsePictures = new QPushButton(QStringLiteral("Browse..."), this);
    auto* browseOutput = new QPushButton(QStringLiteral("Browse..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    convertButton = buttons->addButton(QStringLiteral("Convert"), QDialogButtonBox::AcceptRole);
    convertButton->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Pictures in:"), this), 0, 0);
    layout->addWidget(pictureEdit, 0, 1);
    layout->addWidget(browsePictures, 0, 2);
    layout->addWidget(countText, 1, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Save converted pictures in:"), this), 2, 0);
    layout->addWidget(outputEdit, 2, 1);
    layout->addWidget(browseOutput, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Every picture is converted with the current settings and saved under its "
                                                "proposed name."),
                                 this),
                      3, 0, 1, 3);
    layout->addWidget(buttons, 4, 0, 1, 3);

    connect(browsePictures, &QPushButton::clicked, this, [this] { Browse(pictureEdit, QStringLiteral("Folder of pictures")); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { Browse(outputEdit, QStringLiteral("Folder for the converted pictures")); });
    // The picture folder is listed only when its own field changes, not on every key in the output field.
    connect(pictureEdit, &QLineEdit::textChanged, this, &CFolderConvertDlg::CountPictures);
    connect(outputEdit, &QLineEdit::textChanged, this, &CFolderConvertDlg::UpdateConvertButton);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CountPictures();
}

QString CFolderConvertDlg::PictureFolder() const { return pictureEdit->text().trimmed(); }

QString CFolderConvertDlg::OutputFolder() const { return outputEdit->text().trimmed(); }

void CFolderConvertDlg::Browse(QLineEdit* edit, const QString& title)
{
    const QString chosen = QFileDialog::getExistingDirectory(this, title, edit->text());
    if (!chosen.isEmpty()) edit->setText(chosen);
}

void CFolderConvertDlg::CountPictures()
{
    const QString folder = PictureFolder();
    const bool folderExists = !folder.isEmpty() && QDir(folder).exists();
    pictureCount = folderExists ? ListFolderPictures(folder.toStdString()).size() : 0;
    if (!folderExists) {
        countText->setText(QStringLiteral("No such folder."));
    } else {
        countText->setText(pictureCount == 1 ? QStringLiteral("1 picture to convert.")
                                             : QStringLiteral("%1 pictures to convert.").arg(pictureCount));
    }
    UpdateConvertButton();
}

void CFolderConvertDlg::UpdateConvertButton()
{
    convertButton->setEnabled(pictureCount > 0 && !OutputFolder().isEmpty() && QDir(OutputFolder()).exists());
}

void RunConvertFolderCommand(QWidget* owner, const ConversionSettings& settings, const JpegChoice& jpeg,
                             bool keepMetadata, const std::string& startFolder)
{
    const QString start = QString::fromStdString(startFolder);
    CFolderConvertDlg dialog(owner, start, start);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString outputFolder = dialog.OutputFolder();

    ConversionRunSettings run{settings, jpeg};
    run.keepMetadata = keepMetadata;
    std::vector<ConversionJob> jobs = PlanConversionJobs(ListFolderPictures(dialog.PictureFolder().toStdString()),
                                                         outputFolder.toStdString(), settings.ToFourThree());
    if (jobs.empty()) {
        ShowProgramMessage(owner, QStringLiteral("There are no pictures to convert in %1.").arg(dialog.PictureFolder()));
        return;
    }
    if (const std::size_t existing = ExistingOutputs(jobs).size(); existing > 0) {
        const ExistingAnswer answer = AskAboutExisting(owner, existing, jobs.size(), outputFolder);
        if (answer == ExistingAnswer::kCancel) return;
        run.replaceExisting = answer == ExistingAnswer::kReplace;
    }

    CFolderConversion conversion(std::move(jobs), run);
    CFolderProgressWindow progress(owner, conversion);
    progress.Run();
    CConversionSummaryDlg summary(owner, QString::fromStdString(ConversionSummaryText(conversion.Jobs())));
    summary.exec();
}
