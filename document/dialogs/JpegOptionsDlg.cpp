#include "document/dialogs/JpegOptionsDlg.h"

#include "document/JpegOptions.h"
#include "document/QualitySearch.h"
#include "document/dialogs/DialogUnits.h"
#include "document/dialogs/JpegSizeEstimator.h"
#include "document/dialogs/MessageBox.h"
#include "document/dialogs/ProgressWindow.h"

#include <QCheckBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace {

constexpr int kMaxTargetKilobytes = 2'000'000;

QLabel* AddLabel(QWidget* dialog, const QString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(text, dialog);
    PlaceInDialogUnits(label, x, y, width, height);
    return label;
}

}  // namespace

CJpegOptionsDlg::CJpegOptionsDlg(QWidget* parent, const JpegOptionsRequest& request)
    : QDialog(parent),
      quality(request.quality),
      enhancedSampling(request.enhancedSampling),
      targetKilobytes(request.targetKilobytes)
{
    if (request.picture != nullptr && request.picture->HasPixels()) {
        picture = request.picture;
        // The sizes are those of 24-bit pixels, as the file will hold them.
        if (picture->bitsPerPixel != 24) picture = request.picture->ConvertTo24(widened) == kImageOk ? &widened : nullptr;
    }

    setWindowTitle(QStringLiteral("JPEG Options"));
    UseDialogFont(this);
    setFixedSize(DialogUnitSize(this, 242, 98));

    AddLabel(this, QStringLiteral("JPG Quality"), 7, 7, 80, 8);
    qualitySlider = new QSlider(Qt::Horizontal, this);
    PlaceInDialogUnits(qualitySlider, 7, 17, 140, 15);
    qualitySlider->setRange(kJpegQualityMin, kJpegQualityMax);
    qualitySlider->setValue(quality);
    qualityEdit = new QLineEdit(QString::number(quality), this);
    PlaceInDialogUnits(qualityEdit, 150, 18, 28, 12);

    const int width = picture != nullptr ? static_cast<int>(picture->width) : 0;
    const int height = picture != nullptr ? static_cast<int>(picture->height) : 0;
    infoText = AddLabel(this, QString::fromStdString(PictureSizeLine(width, height)), 7, 42, 228, 8);
    expectedSizeText = AddLabel(this, QString(), 7, 52, 228, 8);
    samplingCheck = new QCheckBox(QStringLiteral("Enhanced Sampling"), this);
    PlaceInDialogUnits(samplingCheck, 7, 63, 110, 10);
    samplingCheck->setChecked(enhancedSampling);

    AddLabel(this, QStringLiteral("Target size:"), 7, 79, 46, 8);
    targetEdit = new QLineEdit(QString::number(targetKilobytes), this);
    targetEdit->setValidator(new QIntValidator(1, kMaxTargetKilobytes, targetEdit));
    PlaceInDialogUnits(targetEdit, 54, 77, 34, 12);
    AddLabel(this, QStringLiteral("KB"), 91, 79, 14, 8);
    suggestButton = new QPushButton(QStringLiteral("Suggest Quality"), this);
    PlaceInDialogUnits(suggestButton, 108, 76, 70, 14);
    suggestButton->setAutoDefault(false);
    suggestButton->setEnabled(picture != nullptr);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    PlaceInDialogUnits(okButton, 185, 7, 50, 14);
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceInDialogUnits(cancelButton, 185, 24, 50, 14);
    cancelButton->setAutoDefault(false);

    connect(okButton, &QPushButton::clicked, this, &CJpegOptionsDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CJpegOptionsDlg::reject);
    connect(suggestButton, &QPushButton::clicked, this, &CJpegOptionsDlg::OnSuggestQuality);
    connect(qualitySlider, &QSlider::valueChanged, this, &CJpegOptionsDlg::OnSliderMoved);
    connect(qualityEdit, &QLineEdit::textChanged, this, &CJpegOptionsDlg::OnQualityEdit);
    connect(samplingCheck, &QCheckBox::toggled, this, &CJpegOptionsDlg::RequestExpectedSize);

    if (picture != nullptr) {
        estimator = std::make_unique<CJpegSizeEstimator>(*picture);
        connect(estimator.get(), &CJpegSizeEstimator::SizeReady, this, &CJpegOptionsDlg::ShowExpectedSize);
        expectedSizeText->setText(QStringLiteral("Expected file size: estimating..."));
        RequestExpectedSize();
    }
}

CJpegOptionsDlg::~CJpegOptionsDlg() = default;

void CJpegOptionsDlg::OnSliderMoved(int position)
{
    quality = position;
    const QSignalBlocker quiet(qualityEdit);  // the text follows the slider, not the other way round
    qualityEdit->setText(QString::number(quality));
    RequestExpectedSize();
}

void CJpegOptionsDlg::OnQualityEdit(const QString& text)
{
    const TypedQuality typed = ReadTypedQuality(text.toStdString());
    quality = typed.quality;
    if (typed.replacement) {
        // Out of range: the limit replaces the text at once, selected so the next key types over it.
        const QSignalBlocker quiet(qualityEdit);
        qualityEdit->setText(QString::fromStdString(*typed.replacement));
        qualityEdit->selectAll();
    }
    // A text such as "50x" stays as typed; the slider shows its leading number.
    const QSignalBlocker quiet(qualitySlider);
    qualitySlider->setValue(quality);
    RequestExpectedSize();
}

void CJpegOptionsDlg::RequestExpectedSize()
{
    if (estimator) estimator->Request(quality, samplingCheck->isChecked());
}

void CJpegOptionsDlg::ShowExpectedSize(qint64 bytes)
{
    expectedSizeText->setText(bytes > 0 ? QStringLiteral("Expected file size: %1").arg(QString::fromStdString(FormatByteSize(bytes, 2)))
                                        : QStringLiteral("Expected file size: unknown"));
    emit ExpectedSizeShown(bytes);
}

bool CJpegOptionsDlg::ReadInteger(QLineEdit& field, int& value)
{
    bool isInteger = false;
    const int read = field.text().trimmed().toInt(&isInteger);
    if (isInteger && (field.validator() == nullptr || field.hasAcceptableInput())) {
        value = read;
        return true;
    }
    ShowProgramMessage(this, QStringLiteral("Please enter an integer."));
    field.setFocus();
    field.selectAll();
    return false;
}

void CJpegOptionsDlg::accept()
{
    int typedQuality = 0, typedTarget = 0;
    if (!ReadInteger(*qualityEdit, typedQuality) || !ReadInteger(*targetEdit, typedTarget)) return;
    quality = typedQuality;
    targetKilobytes = typedTarget;
    enhancedSampling = samplingCheck->isChecked();
    QDialog::accept();
}

void CJpegOptionsDlg::FillAnswer(JpegOptionsRequest& request) const
{
    request.quality = quality;
    request.enhancedSampling = enhancedSampling;
    request.targetKilobytes = targetKilobytes;
}

void CJpegOptionsDlg::OnSuggestQuality()
{
    if (searching || picture == nullptr) return;
    int typedQuality = 0, typedTarget = 0;
    if (!ReadInteger(*qualityEdit, typedQuality) || !ReadInteger(*targetEdit, typedTarget)) return;
    targetKilobytes = typedTarget;
    enhancedSampling = samplingCheck->isChecked();

    searching = true;
    int suggested = 0;
    {
        CProgressWindow progress(this);
        progress.setWindowTitle(QStringLiteral("Estimating best quality for size"));
        progress.SetRange(60, 100);
        progress.show();
        suggested = SuggestQuality(*picture, enhancedSampling, static_cast<std::int64_t>(targetKilobytes) * 1024, &progress);
    }
    searching = false;
    {
        const QSignalBlocker quiet(qualitySlider);
        qualitySlider->setValue(suggested);
    }
    OnSliderMoved(suggested);  // the field shows the suggestion as a plain number, the expected size follows
}
