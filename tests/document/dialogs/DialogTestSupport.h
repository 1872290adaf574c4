#pragma once
// What the dialog tests share: the application object, an in-memory profile, small pictures written to
// files, and answering the modal dialog or message box that a call is about to open.

#include "image/RasterImage.h"

#include "../../support/MemoryProfile.h"

#include <QWidget>

#include <functional>
#include <string>

// A 24-bit picture of smooth colours with some noise, so JPEG sizes grow with the quality.
void FillTestPicture(CRasterImage& picture, std::uint32_t width, std::uint32_t height);
// One colour all over.
void FillSolid(CRasterImage& picture, std::uint32_t width, std::uint32_t height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Runs `answer` on the next modal window (dialog or message box) as soon as it is open. The call that
// opens it follows; `answer` must close it.
void AnswerNextModal(std::function<void(QWidget& modal)> answer);
