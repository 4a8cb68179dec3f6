#include "cli/TerminalProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Drawn(std::FILE* pFile)
{
    std::rewind(pFile);
    std::string s;
    for (int c; (c = std::fgetc(pFile)) != EOF;)
        s += static_cast<char>(c);
    return s;
}

} // namespace

TEST(TerminalProgress, DrawsBothBarsAndClearsTheLineWhenDone)
{
    std::FILE* pOut = std::tmpfile();
    ASSERT_NE(pOut, nullptr);
    unsigned nCompleted = 0;
    {
        CTerminalProgress progress(pOut, nCompleted);
        progress.SetTotalFiles(2);
        progress.SetFileBytes(20000);
        progress.ShowFileNumber(1); // lines always redraw
        progress.StepFile();
        progress.StepGross();
        progress.ShowFileNumber(2);
    }
    const std::string s = Drawn(pOut);
    EXPECT_NE(s.find("2 out of 2 file(s)  files [#####.....] file [###############...............]"),
              std::string::npos)
        << s;
    EXPECT_EQ(s.substr(s.size() - 4), "\r\033[K");
    EXPECT_EQ(nCompleted, 1u);
    std::fclose(pOut);
}

TEST(TerminalProgress, DrawsNothingWithoutATerminal)
{
    unsigned nCompleted = 0;
    CTerminalProgress progress(nullptr, nCompleted);
    progress.SetTotalFiles(1);
    progress.SetFileBytes(10);
    progress.StepGross();
    EXPECT_EQ(nCompleted, 1u);
}
