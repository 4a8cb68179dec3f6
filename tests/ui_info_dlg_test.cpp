#include "audio/ui/Mp3InfoDlg.h"
#include "audio/ui/WaveInfoDlg.h"
#include "split/ui/EstimateDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The texts of the controls, in the order of the ids.
std::vector<std::string> Texts(QWidget& root, std::initializer_list<int> ids)
{
    std::vector<std::string> texts;
    for (int nId : ids) {
        QWidget* pControl = ByControlId(root, nId);
        auto* pLabel = qobject_cast<QLabel*>(pControl);
        texts.push_back((pLabel ? pLabel->text() : qobject_cast<QLineEdit*>(pControl)->text()).toStdString());
    }
    return texts;
}

const std::string kLongName = "a-rather-long-recording-name-of-sixty-characters-0123456.wav";

CWaveInfoValues CanonicalWave()
{
    CWaveInfoValues info;
    info.fmt.channels = 2;
    info.fmt.samplesPerSec = 44100;
    info.fmt.avgBytesPerSec = 176400;
    info.fmt.blockAlign = 4;
    info.fmt.bitsPerSample = 16;
    info.dataSize = 1764000;
    info.riffSize = 1764036;
    info.strFileName = kLongName;
    return info;
}

} // namespace

TEST(InfoWindows, WaveLinesShowTheWholeFileName)
{
    ASSERT_EQ(kLongName.size(), 60u);
    CWaveInfoDlg dlg(CanonicalWave(), nullptr);
    dlg.show();
    EXPECT_EQ(Texts(dlg, {1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1026}),
              (std::vector<std::string>{"Filename - " + kLongName, "File size (As in Header) - 1764044 bytes",
                                        "Number of Channels - 2", "Samples per second - 44100",
                                        "Average bytes per second - 176400 bytes", "Bits per sample - 16 bits",
                                        "Sample frame size - 4 bytes", "Data bytes size - 1764000 bytes",
                                        "Playing duration - 10.00 seconds"}));
    auto* pName = ByControlId<QLabel>(dlg, 1010);
    EXPECT_GE(pName->width(), pName->fontMetrics().horizontalAdvance(pName->text()));
    EXPECT_EQ(dlg.focusWidget(), ByControlId(dlg, 1));
}

TEST(InfoWindows, Mp3TagAndMpegLines)
{
    CMp3InfoValues info;
    info.nBitrate = 128000;
    info.nFileLength = 1000000;
    info.nSamplingRate = 44100;
    info.nVersion = 3;
    info.nLayer = 1;
    info.bCopyright = true;
    info.nFrameLength = 417;
    info.dDuration = 62.5;
    info.strFileName = kLongName;
    const std::vector<std::string> mpegLines{
        "File size - 1000000 bytes", "Sampling Rate - 44100 Smp/sec", "Bitrate - 128 Kbits/sec",
        "Frame length - 417 bytes",  "MPEG version - 1.0",            "MPEG Layer - 3",
        "Copyrighted - Yes",         "Orignal - No",                  "Play Duration - 62.50 Sec(s)"};
    std::array<unsigned char, 128> tag{};
    std::memcpy(tag.data(), "TAGA title of exactly thirty char", 33);
    std::memcpy(tag.data() + 93, "1999", 4);
    tag[127] = 0x41;
    for (const auto& [tagBytes, fields] :
         {std::pair{std::array<unsigned char, 128>{}, std::vector<std::string>(6, "Unknown")},
          std::pair{tag, std::vector<std::string>{"A title of exactly thirty char", "", "", "1999", "", "A"}}}) {
        info.tag = tagBytes;
        CMp3InfoDlg dlg(info, nullptr);
        dlg.show();
        EXPECT_EQ(Texts(dlg, {1007, 1008, 1009, 1015, 1016, 1017, 1018, 1020, 1026}), mpegLines);
        std::vector<std::string> expected{kLongName};
        expected.insert(expected.end(), fields.begin(), fields.end());
        EXPECT_EQ(Texts(dlg, {1019, 1001, 1002, 1005, 1003, 1006, 1004}), expected);
        EXPECT_EQ(dlg.focusWidget(), ByControlId(dlg, 1));
    }
}

TEST(EstimateWindow, ShowsTheLinesAndConfirmsOnlyWithOk)
{
    const std::array<std::string, 6> lines{"SONG.WAV will be split into 2 file(s).", "Source filename - SONG.WAV",
                                           "Number of fragments - 2", "Fragments' size - 882048 bytes",
                                           "Fragments' playtime - 5.00 Second(s)", "Overlaping time - 1 Second(s)"};
    for (const bool bOk : {true, false}) {
        CEstimateDlg dlg(nullptr);
        std::vector<std::string> seen;
        QTimer::singleShot(0, [&] {
            seen = Texts(dlg, {1041, 1037, 1038, 1039, 1040, 1042});
            if (bOk)
                ByControlId<QPushButton>(dlg, 1)->click();
            else
                dlg.close(); // the close box
        });
        EXPECT_EQ(dlg.Show(lines), bOk);
        EXPECT_EQ(seen, std::vector<std::string>(lines.begin(), lines.end()));
    }
}

TEST(InfoWindows, EnterAndEscapeLeaveTheWindowOpen)
{
    CWaveInfoDlg wave(CanonicalWave(), nullptr);
    CMp3InfoDlg mp3(CMp3InfoValues{}, nullptr);
    CEstimateDlg estimate(nullptr);
    for (QDialog* pDlg : std::initializer_list<QDialog*>{&wave, &mp3, &estimate}) {
        pDlg->show();
        for (int nKey : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
            QApplication::sendEvent(ByControlId(*pDlg, 1), &press);
        }
        EXPECT_TRUE(pDlg->isVisible()) << pDlg->windowTitle().toStdString();
    }
}
