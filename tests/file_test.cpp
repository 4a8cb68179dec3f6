#include "platform/File.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

std::vector<unsigned char> Bytes(size_t n)
{
    std::vector<unsigned char> b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>(i * 13 + 1);
    return b;
}

} // namespace

TEST(File, ReadsSeeksAndReportsItsNames)
{
    CTempDir dir;
    const auto content = Bytes(700000);
    WriteBytes(dir / "src.wav", content);
    CFile f;
    ASSERT_TRUE(f.Open(dir / "src.wav", CFile::EMode::Read));
    EXPECT_EQ(f.GetFileName(), "src.wav");
    EXPECT_EQ(f.GetFilePath(), dir / "src.wav");
    EXPECT_EQ(f.GetLength(), 700000u);

    unsigned char b[4];
    EXPECT_EQ(f.Seek(299998, CFile::EFrom::Begin), 299998u);
    ASSERT_EQ(f.Read(b, 4), 4u);
    EXPECT_EQ(b[0], content[299998]);
    EXPECT_EQ(b[3], content[300001]);
    EXPECT_EQ(f.Seek(-4, CFile::EFrom::Current), 299998u);
    EXPECT_EQ(f.Read(b, 1), 1u);
    EXPECT_EQ(b[0], content[299998]);
    EXPECT_THROW(f.Seek(-300000, CFile::EFrom::Current), CFileException);
    EXPECT_EQ(f.GetPosition(), 299999u);

    f.Seek(699998, CFile::EFrom::Begin);
    EXPECT_EQ(f.Read(b, 4), 2u);
    EXPECT_EQ(f.Read(b, 4), 0u);
}

TEST(File, WritesLargeAndSmallPiecesAndRewritesItsStart)
{
    CTempDir dir;
    const auto content = Bytes(600001);
    CFile f;
    ASSERT_TRUE(f.Open(dir / "out.wav", CFile::EMode::Create));
    f.Write(content.data(), 5);
    f.Write(content.data() + 5, 599996);
    EXPECT_EQ(f.GetLength(), 600001u);
    f.Seek(0, CFile::EFrom::Begin);
    f.Write("RIFF", 4);
    f.Seek(0, CFile::EFrom::Begin);
    unsigned char b[6];
    ASSERT_EQ(f.Read(b, 6), 5u + 1);
    EXPECT_EQ(b[0], 'R');
    EXPECT_EQ(b[4], content[4]);
    f.Close();
    auto written = ReadBytes(dir / "out.wav");
    ASSERT_EQ(written.size(), 600001u);
    std::copy_n("RIFF", 4, written.begin());
    auto expected = content;
    std::copy_n("RIFF", 4, expected.begin());
    EXPECT_EQ(written, expected);
}

TEST(File, CreateReplacesAnExistingFile)
{
    CTempDir dir;
    WriteBytes(dir / "old.wav", Bytes(1000));
    CFile f;
    ASSERT_TRUE(f.Open(dir / "old.wav", CFile::EMode::Create));
    f.Write("ab", 2);
    f.Close();
    EXPECT_EQ(ReadBytes(dir / "old.wav").size(), 2u);
}

// Every spelling of a file the program holds open is refused for creation,
// and the file keeps its bytes.
TEST(File, CreatingAFileHeldOpenFailsWhateverItsSpelling)
{
    CTempDir dir;
    const auto content = Bytes(5000);
    std::filesystem::create_directory(dir / "sub");
    WriteBytes(dir / "src.wav", content);
    std::filesystem::create_hard_link(dir / "src.wav", dir / "hard.wav");
    std::filesystem::create_symlink(dir / "src.wav", dir / "soft.wav");
    CFile source;
    ASSERT_TRUE(source.Open(dir / "src.wav", CFile::EMode::Read));
    for (const std::string& strSpelling :
         {dir / "src.wav", dir / "hard.wav", dir / "soft.wav", dir / "sub/../src.wav", dir / "./src.wav"}) {
        CFile out;
        EXPECT_FALSE(out.Open(strSpelling, CFile::EMode::Create)) << strSpelling;
        EXPECT_FALSE(out.GetOpenError().empty());
    }
    EXPECT_EQ(ReadBytes(dir / "src.wav"), content);
    source.Close();
    CFile out;
    EXPECT_TRUE(out.Open(dir / "hard.wav", CFile::EMode::Create));
}

TEST(File, AFileBeingCreatedCannotBeOpenedAgain)
{
    CTempDir dir;
    CFile out;
    ASSERT_TRUE(out.Open(dir / "new.wav", CFile::EMode::Create));
    CFile reader;
    EXPECT_FALSE(reader.Open(dir / "new.wav", CFile::EMode::Read));
    out.Close();
    EXPECT_TRUE(reader.Open(dir / "new.wav", CFile::EMode::Read));
    CFile secondReader;
    EXPECT_TRUE(secondReader.Open(dir / "new.wav", CFile::EMode::Read)) << "readers share";
}

TEST(File, FailedOpensSayWhy)
{
    CTempDir dir;
    CFile f;
    EXPECT_FALSE(f.Open(dir / "missing.wav", CFile::EMode::Read));
    EXPECT_EQ(f.GetOpenError(), "No such file or directory");
    EXPECT_FALSE(f.Open(dir.Path(), CFile::EMode::Read));
    EXPECT_FALSE(f.Open(dir / "no/such/dir/out.wav", CFile::EMode::Create));
    EXPECT_FALSE(f.IsOpen());
}

TEST(File, AFullDiskIsReportedWithTheSystemsText)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    CFile f;
    ASSERT_TRUE(f.Open("/dev/full", CFile::EMode::Create));
    const auto content = Bytes(1000);
    try {
        f.Write(content.data(), 1000);
        f.Close();
        FAIL() << "no error";
    } catch (const CFileException& e) {
        EXPECT_STREQ(e.what(), "No space left on device");
        EXPECT_EQ(e.GetPath(), "/dev/full");
    }
}
