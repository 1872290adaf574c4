#include "codec/CodecErrorText.h"

#include "codec/CodecErrors.h"

const char* CodecErrorText(int code)
{
    switch (code) {
    case kCodecOk: return "no error";
    case kCodecErrOutOfMemory: return "not enough memory (or the picture is larger than 268 million pixels)";
    case kCodecErrOpenFailed: return "the file could not be opened";
    case kCodecErrReadFailed: return "the file could not be read or ends too early";
    case kCodecErrWriteFailed: return "the file could not be written";
    case kCodecErrInvalidArgument: return "invalid argument";
    case kCodecErrNotBmp: return "not a BMP file, or a BMP variant that cannot be read";
    case kCodecErrBmpLayout: return "unsupported BMP layout";
    case kCodecErrJpegDecode: return "the JPEG data is damaged or of an unsupported kind";
    case kCodecErrDeviceContext: return "metafiles cannot be drawn: the metafile player library could not be loaded";
    case kCodecErrCancelled: return "cancelled";
    case kCodecErrPng: return "the PNG data is damaged or of an unsupported kind";
    case kCodecErrPngCreate: return "the PNG coder could not be started";
    case kCodecErrUnsupportedLayout: return "pixel depth or layout not supported";
    case kCodecErrTiff: return "the TIFF file could not be opened or decoded";
    case kCodecErrNotPcx: return "not a PCX file";
    case kCodecErrTooManyRows: return "more rows written than the picture has";
    case kCodecErrMetafileRead: return "the metafile is damaged";
    case kCodecErrUnsupportedFileDepth: return "bit depth or colour layout of the file not supported";
    case kCodecErrTgaType: return "TGA image type not supported";
    case kCodecErrInvalidHandle: return "invalid source or sink";
    case kCodecErrEnhMetafileBits: return "the enhanced metafile is damaged";
    case kCodecErrNotPsd: return "not a Photoshop file, or an unsupported version";
    case kCodecErrPsdMode: return "Photoshop colour mode or depth not supported";
    case kCodecErrNotWbmp: return "not a WBMP file";
    case kCodecErrNoThreadState: return "the codec could not start on this thread";
    case kCodecErrPcdHeader: return "the Photo CD header could not be read";
    case kCodecErrPcdOverview: return "a Photo CD overview pack, not an image pack";
    case kCodecErrWebp: return "the WebP data is damaged or of an unsupported kind";
    case kCodecErrHeif: return "the HEIC or AVIF data is damaged or of an unsupported kind";
    case kCodecErrUnsupportedFormat: return "unsupported format: no decoder for this kind of picture is installed";
    default: return "the picture could not be processed";
    }
}
