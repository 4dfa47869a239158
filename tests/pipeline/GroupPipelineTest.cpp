#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "pipeline/GroupPipeline.h"
#include "platform/OutputFile.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

// Groups "1" .. "4": each reads with a line and a warning, and builds its
// tree (on the area-tree thread) with a line and the record "[N]". One
// group may fail while it is read or while its tree is built.
struct TFakeGroups {
    std::string failRead;
    std::string failTree;
    std::atomic<int> treesRunning{0};
    std::atomic<bool> treeOnOtherThread{true};
    std::atomic<bool> treeOnReadingThread{true};
    std::thread::id readingThread = std::this_thread::get_id();

    TGroupReader Reader() {
        return [this](const std::string& path, TGroupOutput& output) -> TGroupTail {
            output.Lines() << "read " << path << '\n';
            output.Warning(path, "w", "read warning");
            if (path == failRead) throw std::runtime_error("read failed in " + path);
            return [this, path](TGroupOutput& treeOutput) {
                ++treesRunning;
                if (std::this_thread::get_id() == readingThread) treeOnOtherThread = false;
                else treeOnReadingThread = false;
                treeOutput.Lines() << "tree " << path << '\n';
                --treesRunning;
                if (path == failTree) throw std::runtime_error("tree failed in " + path);
                return Bytes("[" + path + "]");
            };
        };
    }
};

// Both ways, with the area-tree thread and with the tree built in turn on
// the reading thread, show and write alike.
TEST(GroupPipeline, GroupsShowAndWriteInTurnAndAFailureEndsTheRunAfterItsLines) {
    for (const TThreading threading : {TThreading::Separate, TThreading::OneThread}) {
        SCOPED_TRACE(threading == TThreading::OneThread ? "one thread" : "threads");
        struct Case {
            const char* failRead;
            const char* failTree;
            std::string lines;
            const char* written;
            const char* error;
        };
        const auto reading = [](const char* n) {
            return std::string("read ") + n + "\nkestro: warning: " + n + ": read warning\n";
        };
        const std::string all = reading("1") + "tree 1\n" + reading("2") + "tree 2\n" + reading("3") + "tree 3\n" +
                                reading("4") + "tree 4\n";
        const std::string upTo2 = reading("1") + "tree 1\n" + reading("2") + "tree 2\n";
        for (const Case& c : std::vector<Case>{
                 {"", "", all, "[1][2][3][4]", ""},
                 {"", "2", upTo2, "[1]", "tree failed in 2"},  // no later group shows
                 {"", "4", all, "[1][2][3]", "tree failed in 4"},  // the last, met by Finish
                 {"3", "", upTo2 + reading("3"), "[1][2]", "read failed in 3"}}) {
            SCOPED_TRACE(std::string(c.failRead) + "/" + c.failTree);
            test::TempDir folder;
            const std::string path = (folder / "out").string();
            TFakeGroups groups;
            groups.failRead = c.failRead;
            groups.failTree = c.failTree;
            std::ostringstream shown;  // both streams in one, so their order shows
            std::string error;
            {
                TOutputFile output(path);
                try {
                    TGroupPipeline pipeline(output, shown, shown, nullptr, groups.Reader(), nullptr, threading);
                    for (const char* group : {"1", "2", "3", "4"}) pipeline.Add(group);
                    pipeline.Finish();
                } catch (const std::runtime_error& e) {
                    error = e.what();
                }
                output.Close();
            }
            EXPECT_EQ(shown.str(), c.lines);
            EXPECT_EQ(test::ReadFile(path), c.written);
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(groups.treesRunning.load(), 0);  // every area-tree thread has ended and been joined
            if (threading == TThreading::OneThread)
                EXPECT_TRUE(groups.treeOnReadingThread.load());
            else
                EXPECT_TRUE(groups.treeOnOtherThread.load());
        }
    }
}

}  // namespace
}  // namespace kestro
