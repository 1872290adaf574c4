#pragma once
// CJpegOptionsDlg: "JPEG Options", shown before a JPEG is written: the picture's size, the quality (slider
// 40..100 and a field that holds typed values to that range), "Enhanced Sampling", the expected file
// size at the current setting, and "Suggest Quality", which searches the highest quality whose file stays
// below the target size typed beside it.
//
// The picture is the caller's and is only read (a copy is made only to widen a palette or 1-bit picture
// to 24 bits). The expected size is encoded on the estimator's thread; the quality search runs on the
// user-interface thread with a CProgressWindow showing its probes.

#include "document/UserPrompt.h"
#include "image/RasterImage.h"

#include <QDialog>

#include <memory>

class CJpegSizeEstimator;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

class CJpegOptionsDlg : public QDialog {
    Q_OBJECT
public:
    // Starts from the request's quality, sampling, target and picture.
    CJpegOptionsDlg(QWidget* parent, const JpegOptionsRequest& request);
    ~CJpegOptionsDlg() override;

    // Writes what was accepted (quality, sampling, target) into `request`.
    void FillAnswer(JpegOptionsRequest& request) const;

    // Reads the fields; "Please enter an integer." and the dialog stays open when one holds no integer.
    void accept() override;
    // Runs the quality search for the target size and shows its suggestion (59..92).
    void OnSuggestQuality();

    int Quality() const { return quality; }
    QSlider& QualitySlider() { return *qualitySlider; }
    QLineEdit& QualityEdit() { return *qualityEdit; }
    QCheckBox& SamplingCheck() { return *samplingCheck; }
    QLabel& InfoText() { return *infoText; }
    QLabel& ExpectedSizeText() { return *expectedSizeText; }
    QLineEdit& TargetEdit() { return *targetEdit; }
    QPushButton& SuggestButton() { return *suggestButton; }

signals:
    // The expected size line now shows the newest setting's size.
    void ExpectedSizeShown(qint64 bytes);

private:
    void OnQualityEdit(const QString& text);
    void OnSliderMoved(int position);
    void RequestExpectedSize();
    void ShowExpectedSize(qint64 bytes);
    // The whole field as an integer; otherwise the message, and the field selected for correction.
    bool ReadInteger(QLineEdit& field, int& value);

    CRasterImage widened;                  // the picture at 24 bits when it came with fewer
    const CRasterImage* picture = nullptr;  // what the sizes are estimated on
    int quality = 92;
    bool enhancedSampling = true;
    int targetKilobytes = 250;
    bool searching = false;

    QSlider* qualitySlider = nullptr;
    QLineEdit* qualityEdit = nullptr;
    QLabel* infoText = nullptr;
    QLabel* expectedSizeText = nullptr;
    QCheckBox* samplingCheck = nullptr;
    QLineEdit* targetEdit = nullptr;
    QPushButton* suggestButton = nullptr;
    std::unique_ptr<CJpegSizeEstimator> estimator;
};
