#include "platform/copy_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/directory.h"
#include "tests/support/test_support.h"

namespace td {
namespace {

using test::FaultyFileSystem;
using test::ReadBytes;
using test::ScopedFs;
using test::SortedNames;
using test::WriteBytes;
using Op = FaultyFileSystem::Op;

class CopyFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = In("src.mp3");
        target_ = In("out/dst.mp3");
        content_.resize(700 * 1024 + 13);  // several copy blocks and a tail
        for (size_t i = 0; i < content_.size(); ++i)
            content_[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
        ASSERT_TRUE(WriteBytes(source_, content_));
        ASSERT_TRUE(MakeDirectories(In("out")));
    }
    // `relative` ('/' between levels) inside the temporary directory.
    std::string In(const std::string& relative) const {
        std::string path = dir_.Path("");
        for (char c : relative) path.push_back(c == '/' ? kPathSeparator : c);
        return path;
    }
    // The destination directory holds nothing: no partial file, no temporary.
    void ExpectNothingLeft() {
        EXPECT_TRUE(SortedNames(In("out")).empty());
        EXPECT_EQ(ReadBytes(source_), content_);
    }
    test::TempDir dir_;
    std::string source_, target_, content_;
};

TEST_F(CopyFileTest, CopiesEveryByteAndNeverReplaces) {
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(WriteBytes(In("out/~tdcopy" + std::to_string(i) + ".tmp"), "other"));
    ASSERT_TRUE(CopyFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(target_), content_);
    EXPECT_EQ(ReadBytes(source_), content_);
    EXPECT_EQ(ReadBytes(In("out/~tdcopy4.tmp")), "other");  // taken temporary names survive
    EXPECT_EQ(SortedNames(In("out")).size(), 6u);
    ASSERT_TRUE(WriteBytes(target_, "precious"));
    EXPECT_FALSE(CopyFileNoReplace(source_, target_));
    EXPECT_EQ(ReadBytes(target_), "precious");
    EXPECT_FALSE(CopyFileNoReplace(In("out"), In("out/y.mp3")));  // a directory is no source
    EXPECT_EQ(SortedNames(In("out")).size(), 6u);
}

TEST_F(CopyFileTest, FailureAtAnyStepLeavesNoPartialFile) {
    const std::pair<Op, int> cases[] = {{Op::Open, 1},  {Op::Open, 2},  {Op::Read, 2},  {Op::Write, 2},
                                        {Op::Flush, 1}, {Op::Close, 1}, {Op::Rename, 1}};
    for (const auto& [op, nth] : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(op) << " #" << nth);
        FaultyFileSystem faulty;
        faulty.SetShortWrites(true);
        faulty.FailAt(op, nth);
        {
            ScopedFs scoped(faulty);
            EXPECT_FALSE(CopyFileNoReplace(source_, target_));
        }
        EXPECT_EQ(faulty.Failures(), 1);
        ExpectNothingLeft();
    }
}

}  // namespace
}  // namespace td
