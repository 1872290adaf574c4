#pragma once
// The Png coder's per-thread options, held in CodecThreadState as `png`. The Png coder owns this
// header: its option entry points set these fields, its readers and writers read them, and they apply
// only to later calls on the same thread.

#include <cstdint>
#include <string>
#include <vector>

// One tEXt chunk: a keyword of 1 to 79 Latin-1 characters and its text.
struct CodecPngText {
    std::string keyword;
    std::string text;
};

struct CodecPngOptions {
    // Alpha is composited over this colour when a file has no bKGD chunk; written files carry it as bKGD.
    std::uint8_t backgroundRed = 0;
    std::uint8_t backgroundGreen = 0;
    std::uint8_t backgroundBlue = 0;
    std::vector<CodecPngText> outputTexts;   // written with the next PNG; emptied by CodecClearPngText
    std::vector<CodecPngText> textsRead;     // the text chunks the last dimension query found
};
