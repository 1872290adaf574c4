#include "codec/PictureMetadata.h"

#include "codec/CodecEntry.h"

#include <utility>

int CodecTakeReadMetadata(CodecPictureMetadata* metadata)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) {
        if (metadata != nullptr) *metadata = std::move(call.state.metadataRead);
        call.state.metadataRead = {};
        return 1;
    });
}

int CodecSetWriteMetadata(const CodecPictureMetadata* metadata)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) {
        call.state.metadataToWrite = metadata != nullptr ? *metadata : CodecPictureMetadata{};
        return 1;
    });
}
