// Files that are not complete never stand under their final names: failed or
// interrupted writes, a source cut short while it is read, and a second
// process writing or reading the same files.
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
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
        ASSERT_TRUE(out.Open(dir / "new.wav", CFile::EMode::Create));
        ASSERT_TRUE(dropped.Open(dir / "dropped.wav", CFile::EMode::Create));
        ASSERT_TRUE(discarded.Open(dir / "old.wav", CFile::EMode::Create));
        Write(out, "new");
        Write(dropped, "abc");
        Write(discarded, "abc");
        EXPECT_FALSE(std::filesystem::exists(dir / "new.wav")) << "no final name before Close()";
        discarded.Discard();
        out.Close();
    } // dropped goes without Close()
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"new.wav", "old.wav"}));
    EXPECT_EQ(ReadBytes(dir / "old.wav"), Bytes(10, 1));
}

// The same rules between processes as within one: a second writer of a file,
// or a writer of a file another process reads, is refused; readers share.
TEST(File, AnotherProcessMeetsTheSameLocks)
{
    CTempDir dir;
    WriteBytes(dir / "src.wav", Bytes(100, 7));
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CFile reader, writer;
        const bool bOpened = reader.Open(dir / "src.wav", CFile::EMode::Read) &&
                             writer.Open(dir / "out.wav", CFile::EMode::Create);
        char c = bOpened ? 'y' : 'n';
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
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
    EXPECT_EQ(ReadBytes(dir / "src.wav"), Bytes(100, 7));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    ASSERT_TRUE(file.Open(dir / "out.wav", CFile::EMode::Create)) << "the locks went with the process";
    file.Close();
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
        if (replacing.Open(dir / "kept.wav", CFile::EMode::Create) &&
            fresh.Open(dir / "fresh.wav", CFile::EMode::Create)) {
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

// The source loses its tail while a cut reads it: the cut fails with a message
// saying so, the file being written is gone, fragments written before stay.
class SourceCutShort : public testing::TestWithParam<const char*> {};

TEST_P(SourceCutShort, WhileCopyingIsAnErrorAndLeavesNoPartialFile)
{
    CTempDir dir;
    const std::string strExt = GetParam(), strSource = dir / ("in" + strExt);
    const bool bWav = strExt == ".wav";
    WriteBytes(strSource, bWav ? BuildWav({}) : Stream({}, 417, 800));
    CFakeUi ui;
    std::unique_ptr<CAudioFile> pFile;
    if (bWav)
        pFile = std::make_unique<CWaveFile>(strSource, nullptr, ui);
    else
        pFile = std::make_unique<CMp3File>(strSource, nullptr, ui);
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

// Interrupted at any moment, tolvane-cut leaves only whole files under final names.
TEST(InterruptedCut, LeavesOnlyWholeFiles)
{
    CTempDir dir;
    const std::string strSource = dir / "big.wav";
    const uint32_t nData = 400'000'000; // read as zeros from a sparse file
    WriteBytes(strSource, BuildWav({.dataBytes = 0, .dataSizeField = nData}));
    ASSERT_EQ(::truncate(strSource.c_str(), 44 + nData), 0);

    const std::string strBase = dir / "part";
    std::string args[] = {TOLVANE_CUT, "shred", strSource, "-n", "8", "--base", strBase};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(), args[5].data(), args[6].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Wait until a fragment after the first is being written, then interrupt.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dir / ".PART-3.wav.tolvane-part") && std::chrono::steady_clock::now() < deadline &&
           ::waitpid(pid, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(pid, SIGINT);
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(HasPartialFile(dir));
    for (const std::string& strName : dir.List()) // headers that agree with the lengths: nothing cut short
        EXPECT_TRUE(strName == "big.wav" || ReadWrittenWav(dir / strName, false).nRiffSize ==
                                                std::filesystem::file_size(dir / strName) - 8) << strName;
}
