#pragma once
// Per-thread state of the codec layer: the last error, the progress callback and the coders' options.
//
// Each thread that calls the layer gets its own record, created on its first call and destroyed when
// the thread ends, so entry points may run on several threads at once as long as each thread uses its
// own handles and buffers. Only the layer's entry points change the record (through RunCodecEntry in
// "codec/CodecEntry.h"); callers read the last error with CodecGetLastError.
//
// Options: each coder family keeps its own options struct in a header it owns
// (codec/formats/<Name>Options.h) and this record holds one member of it. A family that needs new
// options adds fields to its own struct, never to this record.

#include "codec/CodecErrors.h"
#include "codec/PictureMetadata.h"
#include "codec/formats/JpegOptions.h"
#include "codec/formats/PngOptions.h"
#include "codec/formats/TiffOptions.h"

// Called once per row by long operations; a zero result cancels the operation (kCodecErrCancelled).
using CodecProgressCallback = int (*)(int rowsDone, int rowsTotal, void* userValue);

struct CodecThreadState {
    int lastError = kCodecOk;
    CodecProgressCallback progressCallback = nullptr;
    void* progressUserValue = nullptr;
    int progressDepth = 0;             // operations under way on this thread; only the outermost reports
    CodecJpegOptions jpeg;
    CodecPngOptions png;
    CodecTiffOptions tiff;
    CodecPictureMetadata metadataRead;     // what the last JPEG, PNG, TIFF or PSD read found
    CodecPictureMetadata metadataToWrite;  // embedded by later JPEG, PNG, TIFF and PSD writes
};

namespace codec {

// The calling thread's state, created on first use; null only when it cannot be created.
CodecThreadState* CurrentThreadState();

}  // namespace codec
