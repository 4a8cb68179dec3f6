// Writing that fails: a full disk, a read-only or vanishing destination. The
// user gets the system's text or the creation status, what was written stays,
// the progress window goes, and nothing else is touched.
#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"
#include "support/WaveAssert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

class WriteFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_source = BuildWav(CanonicalWav());
        WriteBytes(dir / "in.wav", m_source);
        pFile = std::make_unique<CWaveFile>(dir / "in.wav", nullptr, ui);
        ASSERT_EQ(pFile->GetError(), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(ReadBytes(dir / "in.wav"), m_source) << "the source was touched";
    }
    bool ProgressGone() const { return !ui.Log().empty() && ui.Log().back() == "deleted"; }
    bool Shown(const std::string& strCaption) const
    {
        for (const auto& m : ui.messages)
            if (m.strCaption == strCaption)
                return true;
        return false;
    }

    CTempDir dir;
    CFakeUi ui;
    std::unique_ptr<CWaveFile> pFile;
    std::vector<unsigned char> m_source;
};

} // namespace

TEST_F(WriteFailure, FullDeviceEndsTheSaveWithTheSystemsText)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    try {
        pFile->SaveSelection("/dev/full", 0, 10, 1);
        FAIL() << "no error reported";
    } catch (const CFileException& e) {
        EXPECT_STREQ(e.what(), "No space left on device");
    }
    EXPECT_TRUE(ProgressGone());
    EXPECT_FALSE(Shown("Fragment Saved")) << "a failure must not look like success";
}

TEST_F(WriteFailure, DiskFillingUpDuringASplitKeepsTheFragmentsWritten)
{
    CSmallDisk disk(dir / "disk", "size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    pFile->SetOverlapTime(1);
    ui.shredAnswer = {true, 3, dir / "disk/part"};
    EXPECT_THROW(pFile->ShredEqually(), CFileException);
    EXPECT_TRUE(ProgressGone());
    const CWrittenWav first = ReadWrittenWav(dir / "disk/PART-1.wav");
    EXPECT_EQ(first.nDataSize, 588000u);
    EXPECT_TRUE(IsSourceAudio(first.audio, 0));
    EXPECT_FALSE(std::filesystem::exists(dir / "disk/PART-3.wav"));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"disk", "in.wav"}));
}

TEST_F(WriteFailure, ReadOnlyDestinationIsACreationFailure)
{
    CSmallDisk disk(dir / "ro", "ro,size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    EXPECT_EQ(pFile->SaveSelection(dir / "ro/out.wav", 0, 1, 1), 103);
    ui.shredAnswer = {true, 2, dir / "ro/part"};
    EXPECT_EQ(pFile->ShredEqually(), 103);
    EXPECT_TRUE(ProgressGone());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir / "ro"));
}

TEST_F(WriteFailure, DestinationFolderVanishingEndsTheSplit)
{
    std::filesystem::create_directory(dir / "out");
    ui.shredAnswer = {true, 4, dir / "out/part"};
    ui.onStepGross = [this] { std::filesystem::remove_all(dir / "out"); };
    EXPECT_EQ(pFile->ShredEqually(), 103);
    EXPECT_EQ(pFile->GetError(), 103);
    EXPECT_EQ(std::count(ui.Log().begin(), ui.Log().end(), "step gross"), 1);
    EXPECT_TRUE(ProgressGone());
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
}
