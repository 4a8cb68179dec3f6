#include "audio/ui/Mp3InfoDlg.h"
#include "audio/ui/WaveInfoDlg.h"
#include "split/ui/EstimateDlg.h"
#include "support/Mp3Builder.h"
#include "support/UiControls.h"

#include <QLabel>
#include <QTimer>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {

const std::string kLongName = "a-rather-long-recording-name-of-sixty-characters-0123456.wav";

CWaveInfoValues Wave()
{
    CWaveInfoValues info;
    info.fmt = {.channels = 2, .samplesPerSec = 44100, .avgBytesPerSec = 176400, .blockAlign = 4, .bitsPerSample = 16};
    info.dataSize = 1764000;
    info.riffSize = 1764036;
    info.strFileName = kLongName;
    return info;
}

// 62.5 seconds of MPEG 1 Layer 3; the tag a title of all 30 bytes, the year
// and genre 0x41, or no tag.
CMp3InfoValues Mp3(bool bTag)
{
    CMp3InfoValues info{.nBitrate = 128000, .nFileLength = 1000000, .nSamplingRate = 44100, .nVersion = 3,
                        .nLayer = 1, .bCopyright = true, .nFrameLength = 417, .dDuration = 62.5};
    info.strFileName = kLongName;
    if (bTag) {
        std::memcpy(info.tag.data(), "TAGA title of exactly thirty char", 33);
        std::memcpy(info.tag.data() + 93, "1999", 4);
        info.tag[127] = 0x41;
    }
    return info;
}

// The file name, the tag's title, artist, album, year, comment and genre,
// then the MPEG lines.
const std::vector<int> kMp3Ids{1019, 1001, 1002, 1005, 1003, 1006, 1004, 1007, 1008,
                               1009, 1015, 1016, 1017, 1018, 1020, 1026};
std::vector<std::string> Mp3Lines(std::vector<std::string> lines)
{
    lines.insert(lines.begin(), kLongName);
    for (const char* pLine : {"File size - 1000000 bytes", "Sampling Rate - 44100 Smp/sec", "Bitrate - 128 Kbits/sec",
                              "Frame length - 417 bytes", "MPEG version - 1.0", "MPEG Layer - 3", "Copyrighted - Yes",
                              "Orignal - No", "Play Duration - 62.50 Sec(s)"})
        lines.push_back(pLine);
    return lines;
}

struct SInfoCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    std::vector<int> ids; // the file name's control first
    std::vector<std::string> lines;
};
void PrintTo(const SInfoCase& c, std::ostream* pOut) { *pOut << c.name; }
class InfoWindows : public testing::TestWithParam<SInfoCase> {};

// Each line in its control, a long file name shown whole, the focus on OK,
// and Enter and Escape leaving the window open.
TEST_P(InfoWindows, ShowTheLinesAndStayOpenOnEnterAndEscape)
{
    const auto pDlg = GetParam().make();
    pDlg->show();
    EXPECT_EQ(Texts(*pDlg, GetParam().ids), GetParam().lines);
    QWidget* pName = ByControlId(*pDlg, GetParam().ids[0]);
    EXPECT_GE(pName->width(), pName->fontMetrics().horizontalAdvance(QString::fromStdString(kLongName)));
    EXPECT_EQ(pDlg->focusWidget(), ByControlId(*pDlg, 1));
    RunScript(*pDlg, "RNX", {});
    EXPECT_TRUE(pDlg->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Windows, InfoWindows,
    testing::Values(
        SInfoCase{"Wave", [] { return std::make_unique<CWaveInfoDlg>(Wave(), nullptr); },
                  {1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1026},
                  {"Filename - " + kLongName, "File size (As in Header) - 1764044 bytes", "Number of Channels - 2",
                   "Samples per second - 44100", "Average bytes per second - 176400 bytes",
                   "Bits per sample - 16 bits", "Sample frame size - 4 bytes", "Data bytes size - 1764000 bytes",
                   "Playing duration - 10.00 seconds"}},
        SInfoCase{"Mp3NoTag", [] { return std::make_unique<CMp3InfoDlg>(Mp3(false), nullptr); }, kMp3Ids,
                  Mp3Lines(std::vector<std::string>(6, "Unknown"))},
        SInfoCase{"Mp3Tag", [] { return std::make_unique<CMp3InfoDlg>(Mp3(true), nullptr); }, kMp3Ids,
                  Mp3Lines({"A title of exactly thirty char", "", "", "1999", "", "A"})}),
    ByName);

// The Estimate window's six lines; it confirms with OK, not with its close
// box, Enter or Escape.
TEST(EstimateWindow, ShowsTheLinesAndConfirmsOnlyWithOk)
{
    const std::array<std::string, 6> lines{"SONG.WAV will be split into 2 file(s).", "Source filename - SONG.WAV",
                                           "Number of fragments - 2", "Fragments' size - 882048 bytes",
                                           "Fragments' playtime - 5.00 Second(s)", "Overlaping time - 1 Second(s)"};
    for (const bool bOk : {true, false}) {
        CEstimateDlg dlg(nullptr);
        std::vector<std::string> seen;
        bool bClosedByKey = false;
        QTimer::singleShot(0, [&] {
            seen = Texts(dlg, {1041, 1037, 1038, 1039, 1040, 1042});
            RunScript(dlg, "RNX", {});
            bClosedByKey = !dlg.isVisible();
            if (bOk)
                ByControlId<QAbstractButton>(dlg, 1)->click();
            else
                dlg.close(); // the close box
        });
        EXPECT_EQ(dlg.Show(lines), bOk);
        EXPECT_EQ(seen, std::vector<std::string>(lines.begin(), lines.end()));
        EXPECT_FALSE(bClosedByKey);
    }
}

} // namespace
