#include "DialogTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// The dialogs need an application object for the whole run.
class QtApplication : public testing::Environment {
public:
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }

private:
    int argc = 1;
    char name[16] = "dialogs_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};
const auto* const registered = testing::AddGlobalTestEnvironment(new QtApplication);

void AnswerWhenOpen(const std::shared_ptr<std::function<void(QWidget&)>>& answer, int triesLeft)
{
    QTimer::singleShot(triesLeft > 0 ? 10 : 0, [answer, triesLeft] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal->isVisible()) {
            (*answer)(*modal);
            // An answer that failed part-way must not leave the test waiting on the window.
            if (QApplication::activeModalWidget() == modal && modal->isVisible()) {
                ADD_FAILURE() << "the answer left " << modal->metaObject()->className() << " open";
                modal->close();
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            }
        } else if (triesLeft > 0) {
            AnswerWhenOpen(answer, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal window opened";
        }
    });
}

}  // namespace

void FillTestPicture(CRasterImage& picture, std::uint32_t width, std::uint32_t height)
{
    picture.Create(width, height, 24);
    std::mt19937 random(7);
    std::uint8_t* p = picture.Pixels();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            const auto noise = static_cast<std::uint32_t>(random() % 40);
            p[0] = static_cast<std::uint8_t>((x * 255 / width + noise) & 0xff);
            p[1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xff);
            p[2] = static_cast<std::uint8_t>(((x + y) * 127 / (width + height) + noise) & 0xff);
        }
}

void FillSolid(CRasterImage& picture, std::uint32_t width, std::uint32_t height, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    picture.Create(width, height, 24);
    std::uint8_t* p = picture.Pixels();
    for (std::uint32_t i = 0; i < width * height; ++i, p += 3) p[0] = red, p[1] = green, p[2] = blue;
}

void AnswerNextModal(std::function<void(QWidget& modal)> answer)
{
    AnswerWhenOpen(std::make_shared<std::function<void(QWidget&)>>(std::move(answer)), 300);
}
