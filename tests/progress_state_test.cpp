#include "split/ShredProgressState.h"

#include <gtest/gtest.h>

TEST(ProgressState, BarsStayStillUntilBothTotalsAreKnown)
{
    CShredProgressState p;
    p.StepFile();
    p.StepGross();
    p.SetTotalFiles(3);
    p.SetFileBytes(0); // a split of empty fragments
    p.StepFile();
    p.StepGross();
    EXPECT_EQ(p.GetFileBar().GetPos(), 0);
    EXPECT_EQ(p.GetGrossBar().GetPos(), 0);
    p.SetFileBytes(50000); // still accepted after a 0
    p.StepFile();
    p.StepGross();
    EXPECT_EQ(p.GetFileBar().GetPos(), 10000);
    EXPECT_EQ(p.GetGrossBar().GetPos(), 1);
}

TEST(ProgressState, FirstNonzeroFileBytesWins)
{
    CShredProgressState p;
    p.SetTotalFiles(2);
    p.SetFileBytes(30000);
    p.SetFileBytes(90000);
    EXPECT_EQ(p.GetFileBytes(), 30000u);
    EXPECT_EQ(p.GetFileBar().GetMax(), 30000);
}

TEST(ProgressState, FileBarStartsAgainAfterPassingItsMaximum)
{
    CShredProgressState p;
    p.SetTotalFiles(2);
    p.SetFileBytes(25000);
    p.StepFile();
    p.StepFile();
    EXPECT_EQ(p.GetFileBar().GetPos(), 20000);
    p.StepFile(); // 30000 passes 25000
    EXPECT_EQ(p.GetFileBar().GetPos(), 0);
    p.StepFile();
    EXPECT_EQ(p.GetFileBar().GetPos(), 10000);
}

TEST(ProgressState, GrossRangeIsSixteenBit)
{
    CShredProgressState p;
    p.SetTotalFiles(65536 + 7);
    EXPECT_EQ(p.GetGrossBar().GetMax(), 7);
    EXPECT_EQ(p.GetTotalFiles(), 65543u);
}

TEST(ProgressState, Lines)
{
    CShredProgressState p;
    p.SetTotalFiles(5);
    p.ShowFileNames("song.wav", "SONG-3.wav");
    p.ShowFileNumber(3);
    EXPECT_EQ(p.GetLine1(), "Shreding song.wav to SONG-3.wav");
    EXPECT_EQ(p.GetLine2(), "3 out of 5 file(s)");
}
