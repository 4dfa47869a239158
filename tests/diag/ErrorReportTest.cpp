#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "diag/ErrorReport.h"
#include "diag/Exceptions.h"
#include "diag/ThrowTracking.h"

namespace kestro {
namespace {

// As in the program, throws are tracked from the start.
const bool TrackingStarted = (StartExceptionTracking(), true);

bool AnyFrameContains(const std::vector<std::string>& frames, const std::string& part) {
    for (const auto& frame : frames)
        if (frame.find(part) != std::string::npos) return true;
    return false;
}

std::string Joined(const std::vector<std::string>& frames) {
    std::string text;
    for (const auto& frame : frames) text += frame + "\n";
    return text;
}

TErrorReport ReportOf(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        return DescribeCurrentException();
    }
    ADD_FAILURE() << "no error was raised";
    return {};
}

__attribute__((noinline)) void RaiseCreateErrorHere() {
    throw EFCreateError("Cannot create file \"/x/out.gpi\". No such file or directory");
}
__attribute__((noinline)) void ReadBeyondVectorHere() {
    std::vector<int> empty;
    (void)empty.at(3);
}
__attribute__((noinline)) void ReserveTooMuchHere() {
    std::string text;
    text.reserve(text.max_size() + 1);
}
__attribute__((noinline)) void AskSizeOfMissingFileHere() {
    (void)std::filesystem::file_size("/nonexistent-kestro-folder/file");
}
[[maybe_unused]] __attribute__((noinline)) void AllocateTooMuchHere() {
    void* block = ::operator new(static_cast<std::size_t>(1) << 62);
    ::operator delete(block);
}
__attribute__((noinline)) void ThrowIntegerHere() { throw 42; }

TEST(ErrorClasses, NameThemselves) {
    struct Case { std::function<void()> raise; const char* className; };
    for (const auto& c : std::vector<Case>{{[] { throw Exception("m"); }, "Exception"},
                                           {[] { throw EFCreateError("m"); }, "EFCreateError"},
                                           {[] { throw EFOpenError("m"); }, "EFOpenError"},
                                           {[] { throw EReadError("m"); }, "EReadError"},
                                           {[] { throw EWriteError("m"); }, "EWriteError"},
                                           {[] { throw EConvertError("m"); }, "EConvertError"}}) {
        try {
            c.raise();
            ADD_FAILURE() << "nothing raised";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.ClassName(), c.className);
            EXPECT_STREQ(error.what(), "m");
        }
    }
}

TEST(ErrorClasses, FormatAndSystemText) {
    EXPECT_EQ(Format("Cannot create file \"%s\". %s", "/a/b", "No such file or directory"),
              "Cannot create file \"/a/b\". No such file or directory");
    EXPECT_EQ(Format("%s", ""), "");
    EXPECT_EQ(Format("%d-%05.1f", 7, 2.25), "7-002.2");
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(SystemErrorText(EFBIG), "File too large");
}

TEST(ErrorReport, OurErrorShowsClassMessageAndRaisingFunctionFirst) {
    const TErrorReport report = ReportOf(RaiseCreateErrorHere);
    EXPECT_EQ(report.ClassName, "EFCreateError");
    EXPECT_EQ(report.Message, "Cannot create file \"/x/out.gpi\". No such file or directory");
    ASSERT_FALSE(report.Frames.empty());
    EXPECT_NE(report.Frames.front().find("RaiseCreateErrorHere"), std::string::npos) << Joined(report.Frames);
    EXPECT_FALSE(AnyFrameContains(report.Frames, "__cxa_throw")) << Joined(report.Frames);
    EXPECT_FALSE(AnyFrameContains(report.Frames, "CaptureStack")) << Joined(report.Frames);
    // Nothing below the program main.
    EXPECT_EQ(report.Frames.back().rfind("main", 0), 0u) << Joined(report.Frames);
    EXPECT_FALSE(AnyFrameContains(report.Frames, "__libc_start")) << Joined(report.Frames);
}

TEST(ErrorReport, FormattedAsClassColonMessageEmptyLineThenOneFramePerLine) {
    EXPECT_EQ(FormatErrorReport({"EWriteError", "Cannot write file \"/o.gpi\". File too large", {}, {"f at a.cpp:3", "main"}}),
              "EWriteError: Cannot write file \"/o.gpi\". File too large\n\nf at a.cpp:3\nmain\n");
    EXPECT_EQ(FormatErrorReport({"Exception", "two\nlines", {}, {}}), "Exception: two\nlines\n\n");
}

// The input file an error came from leads its first line, unless the message names it.
TEST(ErrorReport, FileOfTheErrorLeadsTheFirstLine) {
    EXPECT_EQ(FormatErrorReport({"Exception", "Character \">\" expected at [1:45]", "src/G/a.gpx", {"main"}}),
              "Exception: src/G/a.gpx: Character \">\" expected at [1:45]\n\nmain\n");
    EXPECT_EQ(FormatErrorReport({"EFOpenError", "Cannot open file \"src/a.gpx\".", "src/a.gpx", {}}),
              "EFOpenError: Cannot open file \"src/a.gpx\".\n\n");
}

#ifdef KESTRO_HAS_DEBUG_INFO
TEST(ErrorReport, FramesNameSourceFileAndLine) {
    const TErrorReport report = ReportOf(RaiseCreateErrorHere);
    ASSERT_FALSE(report.Frames.empty());
    EXPECT_NE(report.Frames.front().find(" at "), std::string::npos) << Joined(report.Frames);
    EXPECT_NE(report.Frames.front().find("ErrorReportTest.cpp:"), std::string::npos) << Joined(report.Frames);
}
#endif

TEST(ErrorReport, StandardLibraryErrorsCarryTheirTypeAndThrowSite) {
    struct Case { void (*raise)(); const char* function; const char* className; const char* messagePart; };
    for (const auto& c : std::initializer_list<Case>{
             {ReadBeyondVectorHere, "ReadBeyondVectorHere", "std::out_of_range", "vector::_M_range_check"},
             {ReserveTooMuchHere, "ReserveTooMuchHere", "std::length_error", "basic_string"},
             {AskSizeOfMissingFileHere, "AskSizeOfMissingFileHere", "std::filesystem::filesystem_error",
              "No such file or directory"}}) {
        const TErrorReport report = ReportOf(c.raise);
        EXPECT_EQ(report.ClassName, c.className);
        EXPECT_NE(report.Message.find(c.messagePart), std::string::npos) << report.Message;
        EXPECT_TRUE(AnyFrameContains(report.Frames, c.function)) << c.className << "\n" << Joined(report.Frames);
    }
}

TEST(ErrorReport, ExhaustedMemoryIsReportedAsBadAlloc) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer ends the process on an allocation this large";
#else
    const TErrorReport report = ReportOf(AllocateTooMuchHere);
    EXPECT_EQ(report.ClassName, "std::bad_alloc");
    EXPECT_EQ(report.Message, "std::bad_alloc");
    EXPECT_TRUE(AnyFrameContains(report.Frames, "AllocateTooMuchHere")) << Joined(report.Frames);
#endif
}

TEST(ErrorReport, ErrorOfAnyOtherTypeIsNamedByItsType) {
    const TErrorReport report = ReportOf(ThrowIntegerHere);
    EXPECT_EQ(report.ClassName, "int");
    EXPECT_FALSE(report.Message.empty());
    EXPECT_TRUE(AnyFrameContains(report.Frames, "ThrowIntegerHere")) << Joined(report.Frames);
}

TEST(ErrorReport, ErrorsHandledMeanwhileDoNotReplaceTheStack) {
    TErrorReport report;
    try {
        RaiseCreateErrorHere();
    } catch (...) {
        for (int i = 0; i < 5; ++i) {
            try {
                ReadBeyondVectorHere();
            } catch (const std::out_of_range&) {
            }
        }
        report = DescribeCurrentException();
    }
    EXPECT_EQ(report.ClassName, "EFCreateError");
    EXPECT_TRUE(AnyFrameContains(report.Frames, "RaiseCreateErrorHere")) << Joined(report.Frames);
    EXPECT_FALSE(AnyFrameContains(report.Frames, "ReadBeyondVectorHere")) << Joined(report.Frames);
}

__attribute__((noinline)) EReadError MakeErrorHere() {
    EReadError error("made, not thrown");
    asm volatile("" ::: "memory");  // keeps the making call from becoming a tail call
    return error;
}

TEST(ErrorReport, ErrorKeepsTheStackOfWhereItWasMade) {
    const EReadError error = MakeErrorHere();
    const auto frames = DescribeStackTrace(error.Stack());
    ASSERT_FALSE(frames.empty());
    EXPECT_NE(frames.front().find("MakeErrorHere"), std::string::npos) << Joined(frames);
}

TEST(ErrorReport, LibraryTypeNamesReadAsWritten) {
    EXPECT_EQ(ReadableTypeName(typeid(std::bad_alloc)), "std::bad_alloc");
    EXPECT_EQ(ReadableTypeName(typeid(std::filesystem::filesystem_error)), "std::filesystem::filesystem_error");
    EXPECT_EQ(ReadableTypeName(typeid(std::ios_base::failure)), "std::ios_base::failure");
}

}  // namespace
}  // namespace kestro
