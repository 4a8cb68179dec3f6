#include "audio/ui/Mp3InfoDlg.h"
#include "audio/ui/WaveInfoDlg.h"
#include "split/ui/EstimateDlg.h"
#include "support/UiControls.h"

#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The computed lines in their controls, and a long file name shown whole.
TEST(InfoWindows, ShowTheLinesAndTheLongNameWhole)
{
    const std::string strLong = "a-rather-long-recording-name-of-sixty-characters-0123456.wav";
    CWaveInfoValues wave{.fmt = {.channels = 2, .samplesPerSec = 44100, .avgBytesPerSec = 176400, .blockAlign = 4},
                         .dataSize = 1764000, .riffSize = 1764036};
    wave.strFileName = strLong;
    // 62.5 seconds of MPEG 1 Layer 3; the tag a title of all 30 bytes, the year and genre 0x41.
    CMp3InfoValues mp3{.nBitrate = 128000, .nFileLength = 1000000, .nSamplingRate = 44100, .nVersion = 3,
                       .nLayer = 1, .nFrameLength = 417, .dDuration = 62.5};
    mp3.strFileName = strLong;
    std::memcpy(mp3.tag.data(), "TAGA title of exactly thirty char", 33);
    std::memcpy(mp3.tag.data() + 93, "1999", 4);
    mp3.tag[127] = 0x41;
    CWaveInfoDlg waveDlg(wave, nullptr);
    CMp3InfoDlg mp3Dlg(mp3, nullptr);
    waveDlg.show();
    mp3Dlg.show();
    EXPECT_EQ(Texts(waveDlg, {1011, 1026}), (std::vector<std::string>{"File size (As in Header) - 1764044 bytes",
                                                                       "Playing duration - 10.00 seconds"}));
    EXPECT_EQ(Texts(mp3Dlg, {1001, 1003, 1004, 1009, 1016, 1017, 1026}),
              (std::vector<std::string>{"A title of exactly thirty char", "1999", "A", "Bitrate - 128 Kbits/sec",
                                        "MPEG version - 1.0", "MPEG Layer - 3", "Play Duration - 62.50 Sec(s)"}));
    for (QWidget* pName : {ByControlId(waveDlg, 1010), ByControlId(mp3Dlg, 1019)})
        EXPECT_GE(pName->width(), pName->fontMetrics().horizontalAdvance(pName->property("text").toString()));
}

// The Estimate window confirms with OK, not with its close box, Enter or Escape.
TEST(EstimateWindow, ConfirmsOnlyWithOk)
{
    for (const bool bOk : {true, false}) {
        CEstimateDlg dlg(nullptr);
        bool bClosedByKey = false;
        QTimer::singleShot(0, [&] {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(dlg.focusWidget(), key);
            bClosedByKey = !dlg.isVisible();
            if (bOk)
                ByControlId<QAbstractButton>(dlg, 1)->click();
            else
                dlg.close(); // the close box
        });
        EXPECT_EQ(dlg.Show({}), bOk);
        EXPECT_FALSE(bClosedByKey);
    }
}

} // namespace
