#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

TEST(WaveReader, CanonicalFile)
{
    CTempDir dir;
    WriteBytes(dir / "a.wav", BuildWav(CanonicalWav()));
    CFakeUi ui;
    CWaveFile file(dir / "a.wav", nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);
    EXPECT_EQ(file.GetDataStart(), 44u);
    EXPECT_DOUBLE_EQ(file.GetDuration(), 10.0);
}
