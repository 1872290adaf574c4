#pragma once
// The Tiff coder's per-thread options, held in CodecThreadState as `tiff`. The Tiff coder owns this
// header: its option entry points set these fields, its readers and writers read them, and they apply
// only to later calls on the same thread.

struct CodecTiffOptions {
};
