#pragma once
// Words for the codec layer's error codes, for messages that name a file and the reason.

// A short lower-case reason ("the file could not be opened"); never null.
const char* CodecErrorText(int code);
