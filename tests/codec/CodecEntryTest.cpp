#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "tests/codec/support/ProgressRecorder.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace {

using codec::CodecCall;
using codec::RunCodecEntry;

int RunThrowing(void (*raise)())
{
    return RunCodecEntry([&](CodecCall&) -> int {
        raise();
        return 1;
    });
}

struct ThrowCase {
    const char* name;
    void (*raise)();
    int want;
};

const ThrowCase kThrowCases[] = {
    {"bad_alloc", [] { throw std::bad_alloc(); }, kCodecErrOutOfMemory},
    {"oversized_container", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }, kCodecErrOutOfMemory},
    {"library_failure", [] { throw codec::CCodecException(kCodecErrPng, "bad chunk"); }, kCodecErrPng},
    {"anything_else", [] { throw 42; }, kCodecErrReadFailed},
};

void PrintTo(const ThrowCase& row, std::ostream* out) { *out << row.name; }

class EntryException : public testing::TestWithParam<ThrowCase> {};

TEST_P(EntryException, BecomesTheLastErrorAndAnEmptyResult)
{
    EXPECT_EQ(RunThrowing(GetParam().raise), 0);
    EXPECT_EQ(CodecGetLastError(), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(CodecEntry, EntryException, testing::ValuesIn(kThrowCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodecEntry, ExceptionCodeIsChosenByTheBody)
{
    const int result = RunCodecEntry([](CodecCall& call) -> int {
        call.exceptionCode = kCodecErrWriteFailed;
        throw std::runtime_error("disk gone");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrWriteFailed);
}

TEST(CodecEntry, FailReturnsTheEmptyValueOfAnyResultType)
{
    EXPECT_EQ(RunCodecEntry([](CodecCall& call) -> std::uint8_t* { return call.Fail(kCodecErrNotPcx); }), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrNotPcx);
    EXPECT_EQ(RunCodecEntry([](CodecCall& call) -> std::int64_t { return call.Fail(kCodecErrTiff); }), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrTiff);
}

TEST(CodecEntry, AResultWithAWarningKeepsBoth)
{
    EXPECT_EQ(RunCodecEntry([](CodecCall& call) {
                  call.error = kCodecErrReadFailed;
                  return 7;
              }),
              7);
    EXPECT_EQ(CodecGetLastError(), kCodecErrReadFailed);
    EXPECT_EQ(RunCodecEntry([](CodecCall&) { return 1; }), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
}

TEST(CodecEntry, HandleCheckComesBeforeTheBody)
{
    bool ran = false;
    EXPECT_EQ(RunCodecEntry(nullptr, [&](CodecCall&, codec::CCodecIO&) { return ran = true; }), false);
    EXPECT_FALSE(ran);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// --- Progress and cancellation ------------------------------------------------------------------------------

// A three-row operation that runs a nested three-row operation per row, as a reader that resizes would.
int RunRows(CodecCall& call, bool nested)
{
    codec::CodecProgress progress(call.state);
    for (int row = 1; row <= 3; ++row) {
        if (nested && RunRows(call, false) == 0) return 0;
        if (!progress.Report(row, 3)) return call.Fail(kCodecErrCancelled);
    }
    return 1;
}

class CodecProgressTest : public testing::Test {
protected:
    codec_test::ProgressRecorder log;
};

TEST_F(CodecProgressTest, OnlyTheOutermostOperationReports)
{
    EXPECT_EQ(RunCodecEntry([](CodecCall& call) { return RunRows(call, true); }), 1);
    EXPECT_EQ(log.rowsDone, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(log.rowsTotal, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(codec::CurrentThreadState()->progressDepth, 0);
}

TEST_F(CodecProgressTest, ZeroFromTheCallbackCancels)
{
    log.cancelAt = 2;
    EXPECT_EQ(RunCodecEntry([](CodecCall& call) { return RunRows(call, true); }), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrCancelled);
    EXPECT_EQ(log.rowsDone, (std::vector<int>{1, 2}));
    EXPECT_EQ(codec::CurrentThreadState()->progressDepth, 0);
}

}  // namespace
