#pragma once
// The codec layer's error codes. Every entry point leaves one of these as the calling thread's last
// error (CodecGetLastError), kCodecOk included. Coders return these names, never bare numbers; the
// numbers are stable because callers above the codec layer store and compare them.

// The calling thread's last error code, kCodecOk after a successful call; kCodecErrNoThreadState when the
// thread's state cannot be created.
int CodecGetLastError();

inline constexpr int kCodecOk = 0;
inline constexpr int kCodecErrOutOfMemory = 1;            // also: a picture over the pixel budget
inline constexpr int kCodecErrOpenFailed = 2;             // file could not be opened or does not exist
inline constexpr int kCodecErrReadFailed = 3;             // read failed or data ended early
inline constexpr int kCodecErrWriteFailed = 4;
inline constexpr int kCodecErrInvalidArgument = 5;        // null pointer, zero size, unsupported depth requested
inline constexpr int kCodecErrNotBmp = 6;                 // or a BMP header or compression the reader cannot take
inline constexpr int kCodecErrBmpLayout = 7;              // unsupported BMP layout
inline constexpr int kCodecErrJpegDecode = 9;             // any libjpeg error, unsupported colour space or depth
inline constexpr int kCodecErrDeviceContext = 10;         // a drawing surface could not be created (no metafile player)
inline constexpr int kCodecErrCancelled = 14;             // the progress callback asked to stop
inline constexpr int kCodecErrPng = 15;                   // any libpng error
inline constexpr int kCodecErrPngCreate = 16;             // the libpng structures could not be created
inline constexpr int kCodecErrUnsupportedLayout = 17;     // pixel depth or layout not supported by this operation
inline constexpr int kCodecErrTiff = 20;                  // TIFF file could not be opened or decoded
inline constexpr int kCodecErrNotPcx = 22;
inline constexpr int kCodecErrBitmapCreate = 23;
inline constexpr int kCodecErrTooManyRows = 24;           // more rows written than the image has
inline constexpr int kCodecErrBitmapReadBack = 25;        // the pixels of a rendered bitmap could not be read back
inline constexpr int kCodecErrDeviceCaps = 26;            // the device cannot blit or take device-independent bitmaps
inline constexpr int kCodecErrMetafileRead = 27;          // metafile header or bits could not be read
inline constexpr int kCodecErrUnsupportedFileDepth = 28;  // bit depth or colour layout of the file
inline constexpr int kCodecErrBlit = 29;                  // the block transfer failed
inline constexpr int kCodecErrTgaType = 32;               // TGA image type not supported
inline constexpr int kCodecErrBitmapFromBits = 35;        // a bitmap could not be built from device-independent bits
inline constexpr int kCodecErrBandingSelect = 37;         // the bitmap could not be selected into a banding device
inline constexpr int kCodecErrInvalidHandle = 38;         // not a live CodecIOHandle
inline constexpr int kCodecErrBitmapSectionBits = 40;     // a device-independent bitmap section gave no bits
inline constexpr int kCodecErrWinMetafileBits = 41;       // Windows metafile bits could not be converted
inline constexpr int kCodecErrEnhMetafileBits = 42;       // enhanced metafile bits could not be read
inline constexpr int kCodecErrNotPsd = 46;                // signature or version
inline constexpr int kCodecErrPsdMode = 47;               // PSD colour mode or depth not supported
inline constexpr int kCodecErrNotWbmp = 53;
inline constexpr int kCodecErrNoThreadState = 55;         // the calling thread's state could not be created
inline constexpr int kCodecErrPcdHeader = 63;             // Photo CD header could not be read
inline constexpr int kCodecErrPcdOverview = 64;           // a Photo CD overview pack, not an image pack
inline constexpr int kCodecErrWebp = 65;                  // any libwebp decode or encode error
inline constexpr int kCodecErrHeif = 66;                  // HEIC or AVIF data libheif cannot decode
inline constexpr int kCodecErrUnsupportedFormat = 67;     // no decoder for this kind of picture is installed
