// Files that are not complete never stand under their final names, nor replace the files of those names.
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

// A reader or writer, here or in another process (killed: no cleanup), keeps writers off the file and its links.
class FileLocks : public testing::TestWithParam<bool> {};

TEST_P(FileLocks, KeepWritersOffHeldFilesAndTheirLinks)
{
    CTempDir dir;
    WriteBytes(dir / "src.wav", Bytes(100, 7));
    std::filesystem::create_hard_link(dir / "src.wav", dir / "hard.wav");
    CFile reader, writer, file;
    const auto hold = [&] {
        return reader.Open(dir / "src.wav", CFile::EMode::Read) && writer.Open(dir / "out.wav", CFile::EMode::Create);
    };
    const pid_t pid = GetParam() ? Fork([&] {
        if (hold())
            WriteBytes(dir / "held", {});
        ::pause();
    }) : 0;
    ASSERT_TRUE(pid ? WaitUntil([&] { return std::filesystem::exists(dir / "held"); }, 20) : hold());
    for (const char* pName : {"src.wav", "hard.wav", "out.wav"})
        EXPECT_FALSE(file.Open(dir / pName, CFile::EMode::Create)) << pName;
    if (pid)
        ::kill(pid, SIGKILL), Wait(pid);
    else
        reader.Close(), writer.Discard();
    EXPECT_EQ(ReadBytes(dir / "src.wav"), Bytes(100, 7));
    EXPECT_TRUE(writer.Open(dir / "hard.wav", CFile::EMode::Create)) << "the locks went with their holder";
}

INSTANTIATE_TEST_SUITE_P(Holders, FileLocks, testing::Values(false, true),
                         [](const auto& p) { return p.param ? "AnotherProcess" : "ThisProcess"; });

// The source loses its tail during a split: an error; fragments before stay, the one being written goes.
TEST(SourceCutShort, WhileCopyingIsAnErrorAndLeavesNoPartialFile)
{
    CTempDir dir;
    WriteBytes(dir / "in.wav", BuildWav({}));
    CFakeUi ui;
    CWaveFile file(dir / "in.wav", nullptr, ui);
    ui.onStepFile = [&] {
        if (ui.Count("number 2") == 1)
            ::truncate((dir / "in.wav").c_str(), 200000);
    };
    ui.shredAnswer = {true, 3, dir / "part"};
    try {
        file.ShredEqually();
        ADD_FAILURE() << "no error";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetErrno(), CFileException::kSourceChanged);
    }
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"PART-1.wav", "in.wav"}));
}

// tolvane-cut stopped by a signal while writing its third fragment: whole files only; the file it replaces kept.
class InterruptedCut : public testing::TestWithParam<int> {};

TEST_P(InterruptedCut, LeavesOnlyWholeFiles)
{
    CTempDir dir;
    const std::string strSource = dir / "big.wav", strBase = dir / "part";
    WriteSparseWav(strSource, {.dataSizeField = 400'000'000}, 400'000'000);
    WriteBytes(dir / "PART-3.wav", Bytes(10, 1));
    const pid_t pid = Fork([&] {
        ::signal(GetParam(), SIG_DFL); // as from a terminal, whatever this run was started from
        ::dup2(::open("/dev/null", O_WRONLY), 1);
        ::execl(TOLVANE_CUT, TOLVANE_CUT, "shred", strSource.c_str(), "-n", "8", "--base", strBase.c_str(), nullptr);
    });
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(dir / ".PART-3.wav.tolvane-part"); }, 20));
    ::kill(pid, GetParam());
    const int status = Wait(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << "ends as the signal would end it";
    // A busy machine may let a fragment or two more finish before the signal
    // lands; whatever stands under a final name is whole, or the old file.
    const std::vector<std::string> names = dir.List();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"PART-1.wav", "PART-2.wav", "PART-3.wav"}));
    for (const std::string& strName : names) {
        if (strName != "big.wav" && !(strName == "PART-3.wav" && ReadBytes(dir / strName) == Bytes(10, 1))) {
            EXPECT_EQ(std::filesystem::file_size(dir / strName), 50'000'044u) << strName;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedCut, testing::Values(SIGINT, SIGTERM, SIGHUP));
