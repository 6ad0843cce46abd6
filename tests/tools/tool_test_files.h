#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/prompter.h"
#include "settings/lang_table.h"
#include "tags/song_record.h"
#include "tests/support/recording_prompter.h"
#include "tests/support/test_support.h"

namespace td::tooltest {

using test::FaultyFileSystem;
using test::FileExists;
using test::Id3v1Trailer;
using test::ReadBytes;
using test::RecordingPrompter;
using test::ScopedFs;
using test::SortedNames;
using test::TempDir;
using test::WriteBytes;

// An ID3v2.3 frame with a body as given.
inline std::string Frame(const char* id, const std::string& body) { return test::Id3Frame(3, id, body); }

// A text frame body in ISO-8859-1.
inline std::string Text(const std::string& value) { return std::string(1, '\0') + value; }

// A COMM body: encoding, "eng", empty description, the text.
inline std::string Comment(const std::string& value) {
    return std::string(1, '\0') + "eng" + std::string(1, '\0') + value;
}

// An ID3v2.3 tag of `frames` and 64 bytes of padding.
inline std::string Tag(const std::string& frames) { return test::Id3Tag(3, frames, 64); }

// Ten MPEG frames, or `size` bytes of them.
inline std::string Audio(size_t size = 4170) { return test::MpegAudio(size); }

// Audio with an ID3v1 tag of only a title, an artist and a track.
inline std::string SongV1(const std::string& title, const std::string& artist, uint8_t track = 0,
                          size_t audio = 4170) {
    return Audio(audio) + Id3v1Trailer(title, artist, "", "", "", 255, track);
}

// `run` fails while every write fails, and the file at `path` keeps its bytes.
template <class Run>
void ExpectWriteFailureKeeps(const std::string& path, Run run) {
    const std::string before = ReadBytes(path);
    FaultyFileSystem faulty;
    faulty.FailFrom(FaultyFileSystem::Op::Write, 1);
    {
        ScopedFs scoped(faulty);
        EXPECT_FALSE(run());
    }
    EXPECT_EQ(ReadBytes(path), before);
}

class ToolFilesTest : public ::testing::Test {
protected:
    void SetUp() override { LangTable::useBuiltinEnglish(); }

    // `relative` ('/' between levels) inside the temporary directory.
    std::string In(const std::string& relative) const {
        std::string path = dir_.Path("");
        for (char c : relative) path.push_back(c == '/' ? kPathSeparator : c);
        return path;
    }
    std::string Write(const std::string& relative, const std::string& bytes) {
        const std::string path = In(relative);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // A playlist entry read from a new file.
    SongRecord* Add(const std::string& relative, const std::string& bytes) {
        entries_.push_back(std::make_unique<SongRecord>(Write(relative, bytes), true));
        return entries_.back().get();
    }
    // The main text of an ID3v2 frame, "<none>" when there is no such frame.
    static std::string V2(const SongRecord& r, int type) {
        const Id3v2Frame* f = r.GetFrame(type);
        return f ? SongRecord::MainText(f) : std::string("<none>");
    }

    TempDir dir_;
    std::vector<std::unique_ptr<SongRecord>> entries_;
};

}  // namespace td::tooltest
