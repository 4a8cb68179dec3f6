// Files that are not complete never stand under their final names; locks hold between processes.
#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "platform/File.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Write(CFile& file, const std::string& strText) { file.Write(strText.data(), static_cast<uint32_t>(strText.size())); }

bool HasPartialFile(const CTempDir& dir)
{
    return std::ranges::any_of(dir.List(), [](const std::string& s) { return s.ends_with(".tolvane-part"); });
}

} // namespace

TEST(File, CreatedFileTakesItsNameOnlyWhenClosed)
{
    CTempDir dir;
    WriteBytes(dir / "old.wav", Bytes(10, 1));
    {
        CFile out, dropped, discarded;
        ASSERT_TRUE(out.Open(dir / "new.wav", CFile::EMode::Create) &&
                    dropped.Open(dir / "dropped.wav", CFile::EMode::Create) &&
                    discarded.Open(dir / "old.wav", CFile::EMode::Create));
        for (CFile* p : {&out, &dropped, &discarded})
            Write(*p, "abc");
        EXPECT_FALSE(std::filesystem::exists(dir / "new.wav")) << "no final name before Close()";
        discarded.Discard();
        out.Close();
    } // dropped goes without Close()
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"new.wav", "old.wav"}));
    EXPECT_EQ(ReadBytes(dir / "old.wav"), Bytes(10, 1));
}

// A reader or writer, in this process or another (killed: no Close(), no cleanup), keeps writers off the
// file and its links; readers share; a writer keeps readers off.
class FileLocks : public testing::TestWithParam<bool> {};

TEST_P(FileLocks, KeepWritersOffHeldFilesAndTheirLinks)
{
    CTempDir dir;
    WriteBytes(dir / "src.wav", Bytes(100, 7));
    std::filesystem::create_hard_link(dir / "src.wav", dir / "hard.wav");
    std::filesystem::create_symlink(dir / "src.wav", dir / "soft.wav");
    CFile reader, writer, file;
    const auto hold = [&] { return reader.Open(dir / "src.wav", CFile::EMode::Read) && writer.Open(dir / "out.wav", CFile::EMode::Create); };
    const pid_t pid = GetParam() ? Fork([&] {
        if (hold())
            WriteBytes(dir / "held", {});
        ::pause();
    }) : 0;
    ASSERT_TRUE(pid ? WaitUntil([&] { return std::filesystem::exists(dir / "held"); }, 20) : hold());
    for (const char* pName : {"src.wav", "hard.wav", "soft.wav", "out.wav"})
        EXPECT_FALSE(file.Open(dir / pName, CFile::EMode::Create)) << pName;
    EXPECT_TRUE(file.Open(dir / "hard.wav", CFile::EMode::Read)) << "readers share";
    file.Close();
    if (pid)
        ::kill(pid, SIGKILL), Wait(pid);
    else
        reader.Close(), writer.Discard();
    EXPECT_EQ(ReadBytes(dir / "src.wav"), Bytes(100, 7));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    EXPECT_TRUE(writer.Open(dir / "hard.wav", CFile::EMode::Create)) << "the locks went with their holder";
    EXPECT_FALSE(file.Open(dir / "src.wav", CFile::EMode::Read));
}

INSTANTIATE_TEST_SUITE_P(Holders, FileLocks, testing::Values(false, true),
                         [](const auto& p) { return p.param ? "AnotherProcess" : "ThisProcess"; });

class SignalDuringWrite : public testing::TestWithParam<int> {};

TEST_P(SignalDuringWrite, RemovesTheFileBeingWritten)
{
    CTempDir dir;
    WriteBytes(dir / "kept.wav", Bytes(10, 1));
    const int status = Wait(Fork([&] {
        // As started from a terminal, whatever the test run was started from
        // (nohup and background jobs ignore some of these signals).
        ::signal(GetParam(), SIG_DFL);
        CFile::RemovePartialFilesOnSignals();
        CFile done, replacing, fresh;
        if (done.Open(dir / "done.wav", CFile::EMode::Create))
            Write(done, "whole"), done.Close();
        if (replacing.Open(dir / "kept.wav", CFile::EMode::Create) && fresh.Open(dir / "fresh.wav", CFile::EMode::Create))
            Write(replacing, "part"), ::raise(GetParam());
        ::_exit(3);
    }));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << "ends as the signal would end it";
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"done.wav", "kept.wav"}));
    EXPECT_EQ(ReadBytes(dir / "kept.wav"), Bytes(10, 1));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringWrite, testing::Values(SIGINT, SIGTERM, SIGHUP));

// The source loses its tail during a split: an error, fragments before stay, the one being written goes.
class SourceCutShort : public testing::TestWithParam<const char*> {};

TEST_P(SourceCutShort, WhileCopyingIsAnErrorAndLeavesNoPartialFile)
{
    CTempDir dir;
    const std::string strExt = GetParam(), strSource = dir / ("in" + strExt);
    const bool bWav = strExt == ".wav";
    WriteBytes(strSource, bWav ? BuildWav({}) : Stream({}, 417, 800));
    CFakeUi ui;
    std::unique_ptr<CAudioFile> pFile = bWav ? std::unique_ptr<CAudioFile>(new CWaveFile(strSource, nullptr, ui))
                                             : std::make_unique<CMp3File>(strSource, nullptr, ui);
    ASSERT_EQ(pFile->GetError(), 0);
    ui.onStepFile = [&] {
        if (ui.Count("number 2") == 1)
            ::truncate(strSource.c_str(), 200000);
    };
    ui.shredAnswer = {true, 3, dir / "part"};
    try {
        pFile->ShredEqually();
        ADD_FAILURE() << "no error";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetErrno(), CFileException::kSourceChanged);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / ("PART-1" + strExt)));
    EXPECT_FALSE(std::filesystem::exists(dir / ("PART-2" + strExt)));
    EXPECT_FALSE(HasPartialFile(dir));
    EXPECT_EQ(ui.Log().back(), "deleted") << "the progress window goes";
}

INSTANTIATE_TEST_SUITE_P(Formats, SourceCutShort, testing::Values(".wav", ".mp3"));

// tolvane-cut interrupted while a fragment after the first is written leaves whole files only.
TEST(InterruptedCut, LeavesOnlyWholeFiles)
{
    CTempDir dir;
    const std::string strSource = dir / "big.wav", strBase = dir / "part";
    WriteSparseWav(strSource, {.dataSizeField = 400'000'000}, 400'000'000);
    const pid_t pid = Fork([&] {
        ::dup2(::open("/dev/null", O_WRONLY), 1);
        ::execl(TOLVANE_CUT, TOLVANE_CUT, "shred", strSource.c_str(), "-n", "8", "--base", strBase.c_str(), nullptr);
    });
    WaitUntil([&] { return std::filesystem::exists(dir / ".PART-3.wav.tolvane-part"); }, 20);
    ::kill(pid, SIGINT);
    Wait(pid);
    EXPECT_FALSE(HasPartialFile(dir));
    for (const std::string& strName : dir.List()) // headers that agree with the lengths: nothing cut short
        EXPECT_TRUE(strName == "big.wav" ||
                    ReadWrittenWav(dir / strName, false).nRiffSize == std::filesystem::file_size(dir / strName) - 8)
            << strName;
}
