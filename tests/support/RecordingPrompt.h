#pragma once
// A prompt that records the messages instead of showing them; every question is cancelled.

#include "document/UserPrompt.h"

#include <optional>
#include <string>
#include <vector>

class RecordingPrompt : public CUserPrompt {
public:
    std::vector<std::string> messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> AskSavePath(const SaveDialogRequest&) override { return std::nullopt; }
    bool EditJpegOptions(JpegOptionsRequest&) override { return false; }
};
