// Files that are not complete never stand under their final names.
#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "platform/File.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Write(CFile& file, const std::string& strText)
{
    file.Write(strText.data(), static_cast<uint32_t>(strText.size()));
}

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

// Another process's reader or writer locks a file against writers; readers share.
TEST(File, AnotherProcessMeetsTheSameLocks)
{
    CTempDir dir;
    WriteBytes(dir / "src.wav", Bytes(100, 7));
    int toParent[2], toChild[2];
    ASSERT_TRUE(::pipe(toParent) == 0 && ::pipe(toChild) == 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CFile reader, writer;
        char c = reader.Open(dir / "src.wav", CFile::EMode::Read) && writer.Open(dir / "out.wav", CFile::EMode::Create)
                     ? 'y'
                     : 'n';
        (void)!::write(toParent[1], &c, 1);
        (void)!::read(toChild[0], &c, 1);
        ::_exit(0); // as if killed: no Close(), no cleanup
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    CFile file;
    EXPECT_FALSE(file.Open(dir / "src.wav", CFile::EMode::Create)) << "another process reads it";
    EXPECT_FALSE(file.Open(dir / "out.wav", CFile::EMode::Create)) << "another process writes it";
    EXPECT_TRUE(file.Open(dir / "src.wav", CFile::EMode::Read)) << "readers share";
    file.Close();
    (void)!::write(toChild[1], &c, 1);
    ::waitpid(pid, nullptr, 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
    EXPECT_EQ(ReadBytes(dir / "src.wav"), Bytes(100, 7));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    EXPECT_TRUE(file.Open(dir / "out.wav", CFile::EMode::Create)) << "the locks went with the process";
}

class SignalDuringWrite : public testing::TestWithParam<int> {};

TEST_P(SignalDuringWrite, RemovesTheFileBeingWritten)
{
    CTempDir dir;
    WriteBytes(dir / "kept.wav", Bytes(10, 1));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CFile::RemovePartialFilesOnSignals();
        CFile done, replacing, fresh;
        if (done.Open(dir / "done.wav", CFile::EMode::Create)) {
            Write(done, "whole");
            done.Close();
        }
        if (replacing.Open(dir / "kept.wav", CFile::EMode::Create) && fresh.Open(dir / "fresh.wav", CFile::EMode::Create)) {
            Write(replacing, "part");
            ::raise(GetParam());
        }
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
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
}

INSTANTIATE_TEST_SUITE_P(Formats, SourceCutShort, testing::Values(".wav", ".mp3"));

TEST(InterruptedCut, LeavesOnlyWholeFiles)
{
    CTempDir dir;
    const std::string strSource = dir / "big.wav", strBase = dir / "part";
    const uint32_t nData = 400'000'000; // read as zeros from a sparse file
    WriteBytes(strSource, BuildWav({.dataBytes = 0, .dataSizeField = nData}));
    ASSERT_EQ(::truncate(strSource.c_str(), 44 + nData), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(::open("/dev/null", O_WRONLY), 1);
        ::execl(TOLVANE_CUT, TOLVANE_CUT, "shred", strSource.c_str(), "-n", "8", "--base", strBase.c_str(), nullptr);
        ::_exit(127);
    }
    // Interrupt while a fragment after the first is being written.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dir / ".PART-3.wav.tolvane-part") && std::chrono::steady_clock::now() < deadline &&
           ::waitpid(pid, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(pid, SIGINT);
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(HasPartialFile(dir));
    for (const std::string& strName : dir.List()) // headers that agree with the lengths: nothing cut short
        EXPECT_TRUE(strName == "big.wav" ||
                    ReadWrittenWav(dir / strName, false).nRiffSize == std::filesystem::file_size(dir / strName) - 8)
            << strName;
}
