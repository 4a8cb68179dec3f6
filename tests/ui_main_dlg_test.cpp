#include "app/MainDlg.h"
#include "audio/AudioFile.h"
#include "doubles/FakeUi.h"
#include "platform/FileDialogs.h"
#include "platform/Settings.h"
#include "platform/ui/TrackBar.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace {

// Every double writes what it was asked into one log, so tests see the order.
using Log = std::vector<std::string>;

struct CScriptedFiles : IFileDialogs {
    explicit CScriptedFiles(Log& log) : m_log(log) {}
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs& args) override { return Answer("open", args); }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs& args) override { return Answer("save", args); }
    std::optional<std::string> Answer(const std::string& strKind, const CFileDialogArgs& args)
    {
        m_log.push_back(strKind + " dialog");
        asked.push_back(args);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<CFileDialogArgs> asked;
    Log& m_log;
};

struct CMemorySettings : ISettings {
    std::optional<uint32_t> GetUInt32(const std::string& strName) const override
    {
        auto it = values.find(strName);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) override
    {
        values[strName] = nValue;
        return ESettingsWrite::Ok;
    }
    std::map<std::string, uint32_t> values;
};

struct CFakePlayer : IMediaPlayer {
    explicit CFakePlayer(Log& log) : m_log(log) {}
    void SetFileName(const std::string& strPath) override { m_log.push_back("file " + strPath); }
    double GetCurrentPosition() const override { return dPosition; }
    void SetCurrentPosition(double d) override { m_log.push_back("position " + std::to_string(std::lround(d))); }
    void Play() override { m_log.push_back("play"); }
    void Stop() override { m_log.push_back("stop"); }
    void Pause() override { m_log.push_back("pause"); }
    std::string GetErrorDescription() const override { return "No audio device."; }
    void SetEvents(IMediaPlayerEvents* p) override { pEvents = p; }
    double dPosition = 0.0;
    IMediaPlayerEvents* pEvents = nullptr;
    Log& m_log;
};

class CTestMainDlg : public CMainDlg {
public:
    using CMainDlg::CMainDlg;
    std::vector<std::pair<uint32_t, bool>> customizeCalls;
    uint32_t nCustomizeAnswer = 0;
    int nAboutBoxes = 0;

protected:
    uint32_t RunCustomizeDialog(uint32_t nOverlap, bool bUseValue) override
    {
        customizeCalls.emplace_back(nOverlap, bUseValue);
        return nCustomizeAnswer;
    }
    void RunAboutDialog() override { ++nAboutBoxes; }
};

// A 10-second 8 kHz mono 8-bit WAV file: one byte per sample frame.
CWavLayout SmallWav(uint32_t nSeconds = 10)
{
    return {.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1, .bitsPerSample = 8,
            .dataBytes = 8000 * nSeconds};
}

class MainDlgTest : public ::testing::Test {
protected:
    MainDlgTest() : files(log), player(log), dlg({ui, files, settings, player})
    {
        strWav = dir.Path() + "/Take ONE.WAV";
        WriteBytes(strWav, BuildWav(SmallWav()));
    }

    template <typename T = QPushButton>
    T* Control(int nId)
    {
        for (QObject* p : dlg.findChildren<QObject*>())
            if (p->property("controlId").toInt() == nId && qobject_cast<T*>(p))
                return qobject_cast<T*>(p);
        return nullptr;
    }
    QAction* Command(int nId)
    {
        for (QAction* p : dlg.findChildren<QAction*>())
            if (p->property("commandId").toInt() == nId)
                return p;
        return nullptr;
    }
    CTrackBar& Slider() { return *Control<CTrackBar>(1039); }
    void Click(int nId) { Control(nId)->click(); }
    void Open(const std::optional<std::string>& strPath)
    {
        files.answers.push_back(strPath);
        Command(32771)->trigger();
    }
    // Moves the thumb with the arrow keys, as the user would.
    void MoveTo(int nPos)
    {
        while (Slider().GetPos() < nPos)
            QTest::keyClick(&Slider(), Qt::Key_Right);
        while (Slider().GetPos() > nPos)
            QTest::keyClick(&Slider(), Qt::Key_Left);
    }
    // The enabled ones of Start, End, Save, Clear, Legend, Play, Stop, as "SESCLPT" with '-' for disabled.
    std::string Buttons()
    {
        std::string str;
        const std::pair<int, char> ids[] = {{1046, 'S'}, {1040, 'E'}, {1042, 'A'}, {1043, 'C'},
                                            {1041, 'L'}, {1044, 'P'}, {1045, 'T'}};
        for (auto [nId, c] : ids)
            str += Control(nId)->isEnabled() ? c : '-';
        return str;
    }
    std::string LastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().strText; }

    CTempDir dir;
    Log log;
    CFakeUi ui;
    CScriptedFiles files;
    CMemorySettings settings;
    CFakePlayer player;
    CTestMainDlg dlg;
    std::string strWav;
};

TEST(SliderScale, StepAndLastPositionFollowThePlayingTime)
{
    const std::pair<double, CSliderScale> cases[] = {
        {46.0, {1, 46}},   {50.0, {1, 50}},  {50.2, {3, 17}},  {100.0, {3, 34}},     {101.0, {10, 11}},
        {1000.0, {60, 17}}, {1001.0, {300, 4}}, {3600.0, {300, 12}}, {0.0, {1, 0}}, {std::nan(""), {1, 0}},
        {-5.0, {1, 0}},    {1e12, {300, 14316558}}};
    for (const auto& [dDuration, scale] : cases) {
        EXPECT_EQ(SliderScaleFor(dDuration), scale) << dDuration;
        if (!std::isnan(dDuration)) {
            EXPECT_GE(uint64_t{scale.nMax} * scale.nSecsPerStep, std::min(std::ceil(std::max(dDuration, 0.0)), 4294967295.0))
                << dDuration;
        }
    }
}

TEST_F(MainDlgTest, StartsWithNothingEnabled)
{
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tolvane"));
    EXPECT_EQ(Buttons(), "-------");
    EXPECT_FALSE(Slider().isEnabled());
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// Which paths open, and as which kind: the file name decides, never a folder,
// and the path is opened as chosen, capitals and all.
struct SOpenCase {
    const char* name;
    std::string strRelative;
    Bytes content;
    bool bOpens;
    std::string strMessage; // the one message shown, if any
};
void PrintTo(const SOpenCase& c, std::ostream* pOut) { *pOut << c.name; }

class MainDlgOpen : public MainDlgTest, public ::testing::WithParamInterface<SOpenCase> {};

TEST_P(MainDlgOpen, OpensByTheFileNameAsChosen)
{
    const SOpenCase& c = GetParam();
    const std::string strPath = dir.Path() + "/" + c.strRelative;
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    WriteBytes(strPath, c.content);
    Open(strPath);

    ASSERT_EQ(dlg.GetAudioFile() != nullptr, c.bOpens);
    EXPECT_EQ(LastMessage(), c.strMessage);
    EXPECT_EQ(ui.messages.size(), c.strMessage.empty() ? 0u : 1u);
    if (c.bOpens) {
        EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strPath);
        EXPECT_EQ(Buttons(), "S---LP-");
        EXPECT_TRUE(Slider().isEnabled());
    } else {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tolvane"));
        EXPECT_EQ(Buttons(), "-------");
    }
}

const Bytes kMp3 = Stream({}, 417, 200);

INSTANTIATE_TEST_SUITE_P(
    Paths, MainDlgOpen,
    ::testing::Values(SOpenCase{"CapitalsInPath", "Music/SONG.WAV", BuildWav(SmallWav()), true, ""},
                      SOpenCase{"WavInMp3Folder", "mixes.mp3/song.wav", BuildWav(SmallWav()), true, ""},
                      SOpenCase{"Mp3", "Album/Track.Mp3", kMp3, true, ""},
                      SOpenCase{"Mp3BeforeWav", "take.mp3.wav", kMp3, true, ""},
                      SOpenCase{"NeitherKind", "notes.txt", BuildWav(SmallWav()), false, ""},
                      SOpenCase{"HiddenName", ".wav", BuildWav(SmallWav()), false, ""},
                      SOpenCase{"WavRefused", "noise.wav", Filler(4000), false,
                                "AIFF Wave header not found. This WAV file is corrupted."},
                      SOpenCase{"Mp3Refused", "noise.mp3", Filler(4000), false, "Invalid MP3 file !!!"}),
    ByName);

TEST_F(MainDlgTest, ReopenAsksFirstAndCloses)
{
    Open(strWav);
    MoveTo(3);
    Click(1046);
    MoveTo(5);

    // No keeps everything, selection included.
    Open(strWav);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, "Take ONE.WAV is already open. Do you wish to open another file ?");
    EXPECT_EQ(ui.messages[0].strCaption, "Comfirm");
    EXPECT_EQ(ui.messages[0].buttons, EMsgButtons::YesNo);
    EXPECT_EQ(Buttons(), "-E-CLP-");
    EXPECT_EQ(Slider().GetSelEnd(), 5);
    files.answers.clear();

    // Yes while playing, then cancel: playback reset, no file left.
    Click(1044);
    ui.questionAnswer = EMsgAnswer::Yes;
    log.clear();
    Open(std::nullopt);
    EXPECT_EQ(log, (Log{"pause", "open dialog"}));
    EXPECT_EQ(dlg.GetAudioFile(), nullptr);
    EXPECT_EQ(dlg.GetPlayState(), EPlayState::Idle);
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(Buttons(), "-------");
    EXPECT_EQ(Slider().GetPos(), 0);
    EXPECT_EQ(Slider().GetSelStart(), Slider().GetSelEnd());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tolvane"));
    ASSERT_EQ(files.asked.size(), 2u);
    EXPECT_EQ(files.asked[1].strFilter, CMainDlg::kOpenFilter);
}

// The selection's states, driven by the buttons and the thumb: after each
// script, the enabled buttons, the slider's selection and the message shown.
struct SSelectionCase {
    const char* name;
    std::vector<int> script; // >= 0: move the thumb there; else -button id
    std::string strButtons;
    std::pair<int, int> sel;
    std::string strMessage;
};
void PrintTo(const SSelectionCase& c, std::ostream* pOut) { *pOut << c.name; }

class MainDlgSelection : public MainDlgTest, public ::testing::WithParamInterface<SSelectionCase> {};

TEST_P(MainDlgSelection, ButtonsFollowTheSelection)
{
    Open(strWav);
    for (int nStep : GetParam().script)
        nStep >= 0 ? MoveTo(nStep) : Click(-nStep);
    EXPECT_EQ(Buttons(), GetParam().strButtons);
    EXPECT_EQ(std::make_pair(Slider().GetSelStart(), Slider().GetSelEnd()), GetParam().sel);
    EXPECT_EQ(LastMessage(), GetParam().strMessage);
}

constexpr int kStart = -1046, kEnd = -1040, kClear = -1043;
const std::string kEmpty = "Please make a selection by dragging the slider thumb.";

INSTANTIATE_TEST_SUITE_P(
    Scripts, MainDlgSelection,
    ::testing::Values(SSelectionCase{"Marking", {2, kStart, 6}, "-E-CLP-", {2, 6}, ""},
                      SSelectionCase{"Marked", {2, kStart, 6, kEnd, 9}, "--ACLP-", {2, 6}, ""},
                      SSelectionCase{"EndRightAfterStart", {4, kStart, kEnd}, "-E-CLP-", {0, 0}, kEmpty},
                      SSelectionCase{"BackToTheAnchor", {8, kStart, 10, 8, kEnd}, "-E-CLP-", {8, 8}, kEmpty},
                      SSelectionCase{"Leftwards", {8, kStart, 4, kEnd}, "--ACLP-", {8, 4}, ""},
                      SSelectionCase{"ClearWhileMarking", {2, kStart, 6, kClear, 9}, "S---LP-", {0, 0}, ""},
                      SSelectionCase{"ClearWhenMarked", {2, kStart, 6, kEnd, kClear}, "S---LP-", {0, 0}, ""}),
    ByName);

TEST_F(MainDlgTest, SaveFailuresAreShownAndClearTheSelection)
{
    Open(strWav);
    const auto save = [&](const std::string& strOut) {
        MoveTo(1);
        Click(1046);
        MoveTo(4);
        Click(1040);
        files.answers = {strOut};
        Click(1042);
        EXPECT_EQ(Buttons(), "S---LP-");
        EXPECT_EQ(ui.messages.back().strCaption, "Error");
        return LastMessage();
    };
    EXPECT_EQ(save(dir.Path() + "/missing/out.wav"), "Cannot create destination file.");
    EXPECT_EQ(save(strWav), "Cannot create destination file.");
    // The source cut short after it was opened: the model's file error is
    // shown with the system's reason, and the window goes on.
    std::filesystem::resize_file(strWav, 100);
    const std::string strMessage = save(dir.Path() + "/late.wav");
    EXPECT_NE(strMessage.find("Take ONE.WAV"), std::string::npos) << strMessage;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/late.wav"));
    EXPECT_EQ(ReadBytes(strWav).size(), 100u);
}

// The stored overlap is read at every open until Customize sets one for the
// run; the audio file is given the current one.
TEST_F(MainDlgTest, OverlapComesFromTheStoreUntilCustomized)
{
    const auto overlapGiven = [&] {
        ui.shredAnswer = {};
        Command(32772)->trigger();
        return ui.waveShredArgs.back().nOverlap;
    };
    settings.values["Overlap time"] = 5;
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 5);

    settings.values["Overlap time"] = 9;
    ui.questionAnswer = EMsgAnswer::Yes;
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 9);

    // Cancel on the dialog still makes the overlap the customized one.
    dlg.nCustomizeAnswer = 9;
    Command(32778)->trigger();
    EXPECT_TRUE(dlg.IsOverlapCustomized());
    dlg.nCustomizeAnswer = 7;
    Command(32778)->trigger();
    EXPECT_EQ(dlg.customizeCalls, (std::vector<std::pair<uint32_t, bool>>{{9, false}, {9, true}}));
    EXPECT_EQ(overlapGiven(), 7);
    EXPECT_EQ(dlg.GetOverlapTime(), 7u);

    settings.values["Overlap time"] = 11;
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 7);
}

TEST_F(MainDlgTest, FileMenuGraysCommandsWithoutAFile)
{
    const auto enabled = [&] {
        for (QMenu* pMenu : dlg.findChildren<QMenu*>())
            if (pMenu->actions().contains(Command(32772)))
                emit pMenu->aboutToShow();
        std::string str;
        for (int nId : {32771, 32772, 32778, 32774, 32775})
            str += Command(nId)->isEnabled() ? '1' : '0';
        return str;
    };
    EXPECT_EQ(enabled(), "10001");
    Open(strWav);
    EXPECT_EQ(enabled(), "11111");
    Command(32776)->trigger();
    EXPECT_EQ(dlg.nAboutBoxes, 1);
}

TEST_F(MainDlgTest, EnterAndEscapeLeaveTheWindowOpen)
{
    dlg.show();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(&dlg, key);
    EXPECT_TRUE(dlg.isVisible());
}

} // namespace

namespace {

// Playback as the buttons, the time line and the player's events drive it:
// after each script, what the player was told, the buttons, the timer and the
// play state. The file lasts 150 s: ten seconds a step, positions 0 to 15.
struct SPlaybackCase {
    const char* name;
    std::vector<std::string> script;
    Log calls; // "file" stands for "file PATH"
    std::string strButtons;
    bool bTimer;
    EPlayState state;
};
void PrintTo(const SPlaybackCase& c, std::ostream* pOut) { *pOut << c.name; }

class MainDlgPlayback : public MainDlgTest, public ::testing::WithParamInterface<SPlaybackCase> {
protected:
    void Do(const std::string& strStep)
    {
        if (strStep == "play")
            Click(1044);
        else if (strStep == "stop")
            Click(1045);
        else if (strStep == "right" || strStep == "end-key" || strStep == "pgup")
            QTest::keyClick(&Slider(), strStep == "right" ? Qt::Key_Right : strStep == "pgup" ? Qt::Key_PageUp : Qt::Key_End);
        else if (strStep == "drag") {
            Slider().SetPos(9);
            emit Slider().Scrolled(CTrackBar::ThumbTrack);
        } else if (strStep == "release")
            emit Slider().Scrolled(CTrackBar::ThumbPosition);
        else if (strStep == "tick")
            dlg.OnTimer();
        else if (strStep == "error")
            player.pEvents->OnPlayerError();
        else if (strStep == "eos")
            player.pEvents->OnEndOfStream(0);
        else if (strStep == "save")
            Click(1042);
        else if (strStep == "shred")
            Command(32772)->trigger();
        else if (strStep == "info")
            Command(32774)->trigger();
        else
            FAIL() << strStep;
    }
};

TEST_P(MainDlgPlayback, FollowsTheStateTable)
{
    WriteSparseWav(strWav, SmallWav(), 8000 * 150);
    Open(strWav);
    MoveTo(7);
    Click(1046);
    MoveTo(8);
    Click(1040); // a marked selection, so that Save can be pressed
    log.clear();
    for (const std::string& strStep : GetParam().script)
        Do(strStep);
    Log expected = GetParam().calls;
    std::ranges::replace(expected, std::string("file"), "file " + strWav);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Buttons().substr(5), GetParam().strButtons);
    EXPECT_EQ(dlg.IsTimerRunning(), GetParam().bTimer);
    EXPECT_EQ(dlg.GetPlayState(), GetParam().state);
}

using S = EPlayState;
INSTANTIATE_TEST_SUITE_P(
    Scripts, MainDlgPlayback,
    ::testing::Values(
        SPlaybackCase{"PlayStartsAtTheThumb", {"play"}, {"file", "position 80", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"StopKeepsTheFile", {"play", "stop"}, {"file", "position 80", "play", "stop"}, "P-", false, S::Stopped},
        SPlaybackCase{"PlayAfterStopResumes", {"play", "stop", "right", "play"},
                      {"file", "position 80", "play", "stop", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"ArrowSeeks", {"play", "right"}, {"file", "position 80", "play", "position 90", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"PageSeeks", {"play", "pgup"}, {"file", "position 80", "play", "position 70", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"EndKeySeeks", {"play", "end-key"}, {"file", "position 80", "play", "position 150", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"DragHoldsTheTimer", {"play", "drag"}, {"file", "position 80", "play"}, "-T", false, S::Playing},
        SPlaybackCase{"ReleaseSeeks", {"play", "drag", "release"}, {"file", "position 80", "play", "position 90", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"IdleMovesTellNothing", {"right", "drag", "release"}, {}, "P-", false, S::Idle},
        SPlaybackCase{"EndThenPlayFromTheEnd", {"play", "eos", "play"},
                      {"file", "position 80", "play", "file", "position 150", "play"}, "-T", true, S::Playing},
        SPlaybackCase{"ErrorGoesIdle", {"play", "error"}, {"file", "position 80", "play"}, "P-", false, S::Idle},
        SPlaybackCase{"SaveStopsFirst", {"play", "save"}, {"file", "position 80", "play", "stop", "save dialog"}, "P-", false, S::Stopped},
        SPlaybackCase{"StoppedSaveStopsAgain", {"play", "stop", "save"},
                      {"file", "position 80", "play", "stop", "stop", "save dialog"}, "P-", false, S::Stopped},
        SPlaybackCase{"IdleSaveTellsNothing", {"save"}, {"save dialog"}, "P-", false, S::Idle},
        SPlaybackCase{"ShredStops", {"play", "shred"}, {"file", "position 80", "play", "stop"}, "P-", false, S::Stopped},
        SPlaybackCase{"InformationLetsItPlay", {"play", "info"}, {"file", "position 80", "play"}, "-T", true, S::Playing}),
    ByName);

TEST_F(MainDlgTest, TimerMovesTheThumbAndGrowsTheSelection)
{
    WriteSparseWav(strWav, SmallWav(), 8000 * 60); // three seconds a step
    Open(strWav);
    Click(1046);
    Click(1044);
    for (auto [dSeconds, nPos] : {std::pair{10.9, 3}, std::pair{17.0, 5}, std::pair{2.99, 0}}) {
        player.dPosition = dSeconds;
        dlg.OnTimer();
        EXPECT_EQ(Slider().GetPos(), nPos);
        EXPECT_EQ(Slider().GetSelEnd(), nPos);
    }
}

TEST_F(MainDlgTest, LegendAndErrorsSpeakInBoxes)
{
    WriteSparseWav(strWav, SmallWav(), 8000 * 600);
    Open(strWav);
    Click(1041);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, "Each interval on the slider represents 60 second(s).");
    EXPECT_EQ(ui.messages[0].strCaption, "Legend");
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::None);
    Click(1044);
    player.pEvents->OnPlayerError();
    EXPECT_EQ(ui.messages.back().strText, "No audio device.");
    EXPECT_EQ(ui.messages.back().icon, EMsgIcon::Stop);
}

} // namespace

namespace {

// Save and Shred Equally from the main window write, for either kind of
// file, what tolvane-cut writes for the same seconds, count and overlap (a
// selection marked leftwards is saved in order, after a cancelled Save dialog
// that kept it); a split that cannot finish says so, a cancelled one says
// nothing. Every save leaves no selection.
class MainDlgLikeTheCommandLine : public MainDlgTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(MainDlgLikeTheCommandLine, WritesTheSameBytes)
{
    const std::string strExt = GetParam(), strSource = dir.Path() + "/take." + strExt;
    WriteBytes(strSource, strExt == "wav" ? BuildWav(SmallWav()) : Stream({}, 417, 200) + Id3v1Tag("Take"));
    settings.values["Overlap time"] = 1;
    Open(strSource);
    for (const char* pszFolder : {"/gui", "/cli"})
        std::filesystem::create_directories(dir.Path() + pszFolder);

    MoveTo(3);
    Click(1046);
    MoveTo(1);
    Click(1040);
    files.answers = {std::nullopt, dir.Path() + "/gui/piece." + strExt};
    Click(1042);
    EXPECT_EQ(Buttons(), "--ACLP-");
    Click(1042);
    EXPECT_EQ(files.asked.back().strDefaultExt, "*." + QString::fromStdString(strExt).toUpper().toStdString());
    EXPECT_EQ(LastMessage().substr(0, 29), "This selection will last for ");
    EXPECT_EQ(Buttons(), "S---LP-");
    EXPECT_EQ(Slider().GetSelStart(), Slider().GetSelEnd());
    ui.shredAnswer = {.bOk = true, .nFragments = 3, .strBaseName = dir.Path() + "/gui/take", .nOverlap = 1};
    Command(32772)->trigger();
    const std::string strCli = dir.Path() + "/cli/";
    ASSERT_EQ(RunCommand({TOLVANE_CUT, "save", strSource, "--from", "1", "--to", "3", "-o", strCli + "piece." + strExt}).nExit, 0);
    ASSERT_EQ(RunCommand({TOLVANE_CUT, "shred", strSource, "-n", "3", "--overlap", "1", "--base", strCli + "take"}).nExit, 0);
    for (const std::string strName : {"piece.", "TAKE-1.", "TAKE-2.", "TAKE-3."}) {
        const Bytes fromWindow = ReadBytes(dir.Path() + "/gui/" + strName + strExt);
        EXPECT_GT(fromWindow.size(), 128u) << strName;
        EXPECT_EQ(fromWindow, ReadBytes(strCli + strName + strExt)) << strName;
    }

    const size_t nMessages = ui.messages.size();
    ui.shredAnswer = {.bOk = false};
    Command(32772)->trigger();
    EXPECT_EQ(ui.messages.size(), nMessages);
    ui.shredAnswer = {.bOk = true, .nFragments = 2, .strBaseName = dir.Path() + "/missing/take"};
    Command(32772)->trigger();
    ASSERT_EQ(ui.messages.size(), nMessages + 1);
    EXPECT_EQ(LastMessage(), "Cannot create destination file.");
    EXPECT_EQ(ui.messages.back().icon, EMsgIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MainDlgLikeTheCommandLine, ::testing::Values("wav", "mp3"));

} // namespace
