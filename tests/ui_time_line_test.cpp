#include "app/MainDlg.h"
#include "app/ZoomView.h"
#include "doubles/FakeUi.h"
#include "platform/FileDialogs.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/TrackBar.h"
#include "support/TempDir.h"
#include "support/UiControls.h"
#include "support/WavBuilder.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <deque>
#include <gtest/gtest.h>

namespace {

// The Save dialog answers the path given; the player logs what it is told.
struct CFakes : IFileDialogs, IMediaPlayer {
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs&) override { return strSaveAs; }
    void SetFileName(const std::string&) override {}
    double GetCurrentPosition() const override { return dPosition; }
    void SetCurrentPosition(double d) override { log.push_back("at " + std::to_string(std::lround(d * 1000))); }
    void Play() override { log.push_back("play"); }
    void Stop() override { log.push_back("stop"); }
    void Pause() override { log.push_back("pause"); }
    std::string GetErrorDescription() const override { return {}; }
    void SetEvents(IMediaPlayerEvents*) override {}
    std::string strSaveAs;
    double dPosition = 0.0;
    std::vector<std::string> log;
};

// A finished analysis: silence in the first half of the file, full scale in the second.
struct CHalfLoud : CSoundAnalysis {
    uint32_t GetRate() const override { return 8000; }
    uint64_t GetTotalFrames() const override { return 80000; }
    std::vector<SPeak> Overview(uint64_t nFrom, uint64_t nTo, size_t nColumns) const override
    {
        std::vector<SPeak> peaks(nColumns);
        for (size_t i = 0; i < nColumns; ++i) {
            const bool bLoud = nFrom + (nTo - nFrom) * i / nColumns >= 40000;
            peaks[i] = {bLoud ? -0.9f : 0.0f, bLoud ? 0.9f : 0.0f, true};
        }
        return peaks;
    }
    // 5 ms windows: 1000 silent, then 1000 at full scale.
    std::vector<float> GetLevels() const override
    {
        std::vector<float> levels(2000, 0.0f);
        std::fill(levels.begin() + 1000, levels.end(), 1.0f);
        return levels;
    }
    double GetProgress() const override { return 1.0; }
    bool IsDone() const override { return true; }
    void Cancel() override {}
};

// 10 s at 8 kHz, mono 8-bit: frame k is byte k of the audio.
const CWavLayout kWav{.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1,
                      .bitsPerSample = 8, .dataBytes = 80000};

// The window, without the notice that lists the fragments written (a window
// of its own, which would wait for the user).
class CQuietMainDlg : public CMainDlg {
public:
    using CMainDlg::CMainDlg;

protected:
    void RunSplitNotice(const std::vector<std::string>&) override {}
};

class TimeLineTest : public ::testing::Test {
protected:
    TimeLineTest()
    {
        WriteBytes(strWav, BuildWav(kWav));
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
    }
    void Open(bool bExact)
    {
        settings.SetUInt32("Exact cuts", bExact ? 1 : 0);
        ASSERT_TRUE(dlg.OpenPath(strWav));
    }
    CTrackBar& Slider() { return *ByControlId<CTrackBar>(dlg, 1039); }
    QLineEdit& Field(bool bFrom) { return *ByControlId<QLineEdit>(dlg, bFrom ? 1049 : 1050); }
    std::string Clock() { return ByControlId<QLabel>(dlg, 1048)->text().toStdString(); }
    void Key(int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(nKey), modifiers);
    }
    void Type(bool bFrom, const std::string& strText)
    {
        Field(bFrom).setFocus();
        Field(bFrom).selectAll();
        QTest::keyClicks(&Field(bFrom), QString::fromStdString(strText));
        Key(Qt::Key_Return);
    }

    CTempDir dir;
    CFakeUi ui;
    CFakes fakes;
    CQtSettings settings{QString::fromStdString(dir / "Tolvane.conf")};
    CQuietMainDlg dlg{{ui, fakes, settings, fakes,
                  {[](const std::string&) { return std::make_unique<CHalfLoud>(); },
                   [](const std::string&, uint64_t, uint64_t, size_t n) {
                       return std::vector<SPeak>(n, {-0.5f, 0.5f, true});
                   }}}};
    std::string strWav = dir / "take.wav";
};

using Marks = std::optional<std::pair<uint64_t, uint64_t>>;

TEST(ClockText, ShowsHoursOnlyForFilesThatLastOne)
{
    using Sel = std::optional<std::pair<double, double>>;
    const std::tuple<double, Sel, double, std::string> cases[] = {
        {2.0, std::nullopt, 10.0, "Position 0:02.000    No selection    Length 0:10.000"},
        {5.0, Sel({4.5, 2.25}), 10.0,
         "Position 0:05.000    Selection 0:02.250 to 0:04.500 (0:02.250)    Length 0:10.000"},
        {61.0005, Sel({0, 3599.9996}), 3600.0,
         "Position 0:01:01.001    Selection 0:00:00.000 to 1:00:00.000 (1:00:00.000)    Length 1:00:00.000"},
        {-1.0, std::nullopt, 3599.0, "Position 0:00.000    No selection    Length 59:59.000"}};
    for (const auto& [dThumb, selection, dLength, strText] : cases)
        EXPECT_EQ(ClockText(dThumb, selection, dLength), strText);
}

// After an open the time line has the keys; Space plays and stops, but types in a field.
TEST_F(TimeLineTest, FocusSpaceAndTheSpokenTime)
{
    Open(true);
    ASSERT_EQ(QApplication::focusWidget(), &Slider());
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(&Slider());
    EXPECT_EQ(pAccessible->text(QAccessible::Value).toStdString(), "0:02.000");
    EXPECT_EQ(pAccessible->valueInterface()->currentValue().toDouble(), 2.0);
    pAccessible->valueInterface()->setCurrentValue(7.4); // as a screen reader sets it
    EXPECT_EQ(Slider().GetPos(), 7);
    EXPECT_EQ(Clock(), "Position 0:07.000    No selection    Length 0:10.000");
    Key(Qt::Key_Space);
    EXPECT_EQ(dlg.GetPlayState(), EPlayState::Playing);
    Key(Qt::Key_Space);
    EXPECT_EQ(dlg.GetPlayState(), EPlayState::Stopped);
    Field(true).setFocus();
    Key(Qt::Key_Space);
    EXPECT_EQ(dlg.GetPlayState(), EPlayState::Stopped);
    EXPECT_EQ(Field(true).text().toStdString(), " ");
}

// Marks placed by Start and End, nudged by keys, typed, picked in the zoomed view; bad times refused.
TEST_F(TimeLineTest, ExactMarksFollowKeysTypingAndTheZoomedView)
{
    Open(true);
    const auto typeFrom = [&](std::string s) { return [this, s] { Type(true, s); }; };
    const auto typeTo = [&](std::string s) { return [this, s] { Type(false, s); }; };
    const auto key = [&](int nKey, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [this, nKey, m] {
            Slider().setFocus();
            Key(nKey, m);
        };
    };
    const auto alt = Qt::AltModifier;
    const auto click = [&](int nId) { return [this, nId] { ByControlId<QAbstractButton>(dlg, nId)->click(); }; };
    const std::tuple<std::function<void()>, Marks, std::string> steps[] = {
        {key(Qt::Key_Right), std::nullopt, ""},
        {key(Qt::Key_Right), std::nullopt, ""},
        {click(1046), Marks({16000, 16000}), ""}, // Start
        {key(Qt::Key_Right, alt), Marks({16080, 16000}), ""},
        {key(Qt::Key_Right), Marks({16080, 24000}), ""},
        {key(Qt::Key_Left, alt | Qt::ShiftModifier), Marks({16080, 23200}), ""},
        {key(Qt::Key_Right, alt | Qt::ControlModifier), Marks({16080, 31200}), ""},
        {click(1040), Marks({16080, 31200}), ""}, // End
        {typeFrom("0:01.5"), Marks({12000, 31200}), ""},
        {typeTo("1:75"), Marks({12000, 31200}), "\"1:75\" is not a time."},
        {typeTo("abc"), Marks({12000, 31200}), "\"abc\" is not a time."},
        {typeTo("0:10.001"), Marks({12000, 31200}), "0:10.001 lies past the end of the audio, which is 0:10.000 long."},
        {typeTo("20000s"), Marks({12000, 20000}), ""},
        {key(Qt::Key_PageDown, alt), Marks({12000, 28000}), ""},
        {key(Qt::Key_PageUp, alt), Marks({12000, 20000}), ""}};
    int nStep = 0;
    for (const auto& [step, marks, strMessage] : steps) {
        ui.messages.clear();
        step();
        EXPECT_EQ(dlg.GetMarks(), marks) << "step " << nStep;
        EXPECT_EQ(ui.messages.empty() ? "" : ui.messages.back().strText.substr(0, strMessage.size()), strMessage)
            << "step " << nStep;
        ++nStep;
    }
    EXPECT_EQ(Field(true).text().toStdString(), "0:01.500");
    EXPECT_EQ(Field(false).text().toStdString(), "0:02.500");
    EXPECT_EQ(Clock(), "Position 0:03.000    Selection 0:01.500 to 0:02.500 (0:01.000)    Length 0:10.000");

    // A click in the zoomed view puts the end (the mark being placed) on the sample under it.
    auto* pZoom = dlg.findChild<CZoomView*>();
    ASSERT_TRUE(pZoom && pZoom->isVisible());
    QTest::mouseClick(pZoom, Qt::LeftButton, {}, QPoint(pZoom->width() / 8, 5));
    EXPECT_EQ(dlg.GetMarks(), Marks({12000, pZoom->FrameAt(pZoom->width() / 8)}));
    EXPECT_LT(pZoom->FrameAt(pZoom->width() / 8), 20000u);

    fakes.strSaveAs = dir / "piece.wav";
    Type(false, "3s");
    Type(true, "0:04.000");
    ByControlId<QAbstractButton>(dlg, 1042)->click();
    const CWrittenWav piece = ReadWrittenWav(dir / "piece.wav");
    EXPECT_EQ(piece.nDataSize, 32000u - 3);
    EXPECT_TRUE(piece.IsSourceAudioFrom(3));
}

// Play Selection plays the marks and stops at the end; Play End the two seconds before it.
TEST_F(TimeLineTest, PlaysTheSelectionAndItsEnd)
{
    Open(true);
    Type(true, "1.25");
    Type(false, "0:06.5");
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"actionPlaySelection", {"at 1250", "play", "stop"}}, {"actionPlayEnd", {"at 4500", "play", "stop"}}};
    for (const auto& [pszAction, log] : cases) {
        fakes.log.clear();
        dlg.findChild<QAction*>(QLatin1String(pszAction))->trigger();
        fakes.dPosition = 6.4;
        dlg.OnTimer();
        EXPECT_EQ(dlg.GetPlayState(), EPlayState::Playing) << pszAction;
        fakes.dPosition = 6.5;
        dlg.OnTimer();
        EXPECT_EQ(fakes.log, log) << pszAction;
        EXPECT_EQ(dlg.GetPlayState(), EPlayState::Stopped) << pszAction;
    }
}

// Over the silent half the time line shows a thin line, over the loud half
// the full swing; the silent half, a pause, is marked in the highlight colour.
TEST_F(TimeLineTest, TheWaveformShowsTheLoudHalfAndThePause)
{
    QPalette palette = dlg.palette();
    palette.setColor(QPalette::Highlight, Qt::red);
    dlg.setPalette(palette);
    Open(false);
    const QImage image = Slider().grab().toImage();
    const auto count = [&](int x, auto&& bWanted) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += bWanted(QColor(image.pixel(x, y))) ? 1 : 0;
        return n;
    };
    const auto inked = [](const QColor& c) { return qGray(c.rgb()) < 100; };
    const auto reddish = [](const QColor& c) { return c.red() > c.green() + 30 && c.red() > c.blue() + 30; };
    const int nQuarter = image.width() / 4;
    EXPECT_GT(count(3 * nQuarter, inked), count(nQuarter, inked) + image.height() / 2);
    EXPECT_GT(count(nQuarter, reddish), count(3 * nQuarter, reddish) + image.height() / 4);
}

// Shred Equally with its pause box checked: each equal cut (3.33 s and
// 6.67 s) moves into the pause (the silent first half) within 2 s of it. With
// exact cuts to the middle of the part of the pause within reach; under the
// whole-second rules to the whole second there nearest that middle, and a cut
// with none there stays on its nearest whole second and is named.
struct SPauseCase {
    const char* name;
    bool bExact;
    std::vector<uint64_t> sizes; // of the fragments' data, a byte a frame
    bool bMissed;
};
const SPauseCase kPauseCases[] = {
    {"Exact", true, {25333, 38667 - 25333, 80000 - 38667}, false},
    {"WholeSeconds", false, {24000, 56000 - 24000, 80000 - 56000}, true},
};
class TimeLinePauses : public TimeLineTest, public ::testing::WithParamInterface<SPauseCase> {};

TEST_P(TimeLinePauses, ShredEquallyCutsInThePause)
{
    const SPauseCase& c = GetParam();
    Open(c.bExact);
    ui.shredAnswer = {.bOk = true, .nFragments = 3, .strBaseName = dir / "part", .nSnapSeconds = 2};
    ui.shredAnswer.bSnap = true;
    dlg.findChild<QAction*>(QStringLiteral("actionShred"))->trigger();
    std::vector<uint64_t> sizes;
    for (int i = 1; i <= 3; ++i)
        sizes.push_back(ReadWrittenWav(dir / ("PART-" + std::to_string(i) + ".wav")).nDataSize);
    EXPECT_EQ(sizes, c.sizes);
    const bool bMissed = std::any_of(ui.messages.begin(), ui.messages.end(), [](const auto& m) {
        return m.strText.starts_with("No pause within 0:02") && m.strText.ends_with("0:06.667");
    });
    EXPECT_EQ(bMissed, c.bMissed);
}
INSTANTIATE_TEST_SUITE_P(Table, TimeLinePauses, ::testing::ValuesIn(kPauseCases),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
