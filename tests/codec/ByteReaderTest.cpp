#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "tests/codec/support/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using codec::ByteReader;
using codec::CCodecIO;
using codec_test::Bytes;
using codec_test::MemorySource;
using codec_test::TempFile;

TEST(ByteOrder, LoadsAndStoresBothOrders)
{
    const std::array<std::uint8_t, 4> bytes{0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(codec::LoadLe16(bytes.data()), 0x3412);
    EXPECT_EQ(codec::LoadBe16(bytes.data()), 0x1234);
    EXPECT_EQ(codec::LoadLe32(bytes.data()), 0x78563412u);
    EXPECT_EQ(codec::LoadBe32(bytes.data()), 0x12345678u);
    std::array<std::uint8_t, 4> stored{};
    codec::StoreLe32(stored.data(), 0x78563412u);
    EXPECT_EQ(stored, bytes);
    codec::StoreBe32(stored.data(), 0x12345678u);
    EXPECT_EQ(stored, bytes);
    codec::StoreLe16(stored.data(), 0xBEEF);
    codec::StoreBe16(stored.data() + 2, 0xBEEF);
    EXPECT_EQ(stored, (std::array<std::uint8_t, 4>{0xEF, 0xBE, 0xBE, 0xEF}));
}

TEST(ByteReader, ReadsFieldsAndRefusesToPassTheEnd)
{
    const MemorySource source(Bytes{'B', 'M', 0x10, 0x20, 0x30, 0x40, 0xAA, 0xBB, 0xCC});
    ASSERT_EQ(CodecSeek(source.Handle(), 2, kCodecSeekStart), 1);   // starts where the source stands
    ASSERT_EQ(codec::ValidateHandle(source.Handle()), kCodecOk);
    CCodecIO io(*source.Handle());
    ByteReader in(io);
    std::uint32_t be32 = 0;
    std::uint16_t le16 = 0;
    std::uint8_t byte = 0;
    EXPECT_EQ(in.Size(), 9u);
    EXPECT_TRUE(in.ReadBe32(be32));
    EXPECT_EQ(be32, 0x10203040u);
    EXPECT_TRUE(in.ReadLe16(le16));
    EXPECT_EQ(le16, 0xBBAA);
    EXPECT_EQ(in.Remaining(), 1u);
    EXPECT_FALSE(in.ReadLe16(le16));   // one byte left: a short field is a failed read
    EXPECT_EQ(in.Position(), 8u);
    EXPECT_FALSE(in.Skip(2));
    EXPECT_TRUE(in.ReadByte(byte));
    EXPECT_EQ(byte, 0xCC);
    EXPECT_FALSE(in.ReadByte(byte));
    EXPECT_FALSE(in.Seek(10));
    EXPECT_TRUE(in.Seek(0));
    EXPECT_TRUE(in.ReadByte(byte));
    EXPECT_EQ(byte, 'B');
}

TEST(ByteReader, CrossesBufferRefillsAndSyncsTheSource)
{
    Bytes bytes(40000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    const TempFile file;
    file.Write(bytes);
    CodecIOHandle* handle = CodecOpenFileSource(file.CPath());
    ASSERT_NE(handle, nullptr);
    {
        CCodecIO io(*handle);
        ByteReader in(io);
        EXPECT_TRUE(in.Skip(16380));
        Bytes chunk(10);
        EXPECT_TRUE(in.ReadExact(chunk));
        EXPECT_EQ(chunk, Bytes(bytes.begin() + 16380, bytes.begin() + 16390));
        EXPECT_TRUE(in.Seek(39990));
        Bytes tail(20);
        EXPECT_FALSE(in.ReadExact(tail));
        EXPECT_EQ(in.Position(), 39990u);
        EXPECT_TRUE(in.Sync());
    }
    EXPECT_EQ(CodecCloseSource(handle), 39990);
}

}  // namespace
