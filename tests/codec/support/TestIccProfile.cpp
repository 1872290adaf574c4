#include "tests/codec/support/TestIccProfile.h"

#include "codec/ByteReader.h"

#include <algorithm>

namespace codec_test {

Bytes TestIccProfile(const std::string& copyright)
{
    constexpr std::size_t kHeaderBytes = 128, kTagTableBytes = 4 + 12;
    // The 'text' type: its signature, 4 reserved bytes, then the text and its terminating zero.
    Bytes text = BytesOf("text");
    text.insert(text.end(), 4, 0);
    text.insert(text.end(), copyright.begin(), copyright.end());
    text.push_back(0);
    Bytes profile(kHeaderBytes + kTagTableBytes, 0);
    profile.insert(profile.end(), text.begin(), text.end());

    codec::StoreBe32(&profile[0], static_cast<std::uint32_t>(profile.size()));
    const auto put = [&](std::size_t at, const char* signature) { std::copy_n(signature, 4, &profile[at]); };
    put(4, "lcms");
    codec::StoreBe32(&profile[8], 0x02100000);   // version 2.1
    put(12, "mntr");
    put(16, "RGB ");
    put(20, "XYZ ");
    put(36, "acsp");
    codec::StoreBe32(&profile[kHeaderBytes], 1);
    put(kHeaderBytes + 4, "cprt");
    codec::StoreBe32(&profile[kHeaderBytes + 8], kHeaderBytes + kTagTableBytes);
    codec::StoreBe32(&profile[kHeaderBytes + 12], static_cast<std::uint32_t>(text.size()));
    return profile;
}

}  // namespace codec_test
