#pragma once
// The Png coder's per-thread options, held in CodecThreadState as `png`. The Png coder owns this
// header: its option entry points set these fields, its readers and writers read them, and they apply
// only to later calls on the same thread.

struct CodecPngOptions {
};
