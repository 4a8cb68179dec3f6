#include "app/MainDlg.h"
#include "app/RecentFiles.h"
#include "app/StartupArgs.h"
#include "doubles/FakeUi.h"
#include "platform/FileDialogs.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/TrackBar.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/UiControls.h"
#include "support/WavBuilder.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <functional>
#include <sstream>

namespace {

// The file dialogs and the player, scripted, log what they were asked, in order.
using Log = std::vector<std::string>;

struct CFakes : IFileDialogs, IMediaPlayer {
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs& args) override
    {
        folders.push_back(args.strInitialFolder);
        return Answer("open dialog");
    }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs& args) override
    {
        folders.push_back(args.strInitialFolder);
        return Answer("save dialog");
    }
    std::optional<std::string> Answer(const std::string& strDialog)
    {
        log.push_back(strDialog);
        const std::optional<std::string> answer = answers.empty() ? std::nullopt : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void SetFileName(const std::string& strPath) override { log.push_back("file " + strPath); }
    double GetCurrentPosition() const override { return dPosition; }
    void SetCurrentPosition(double d) override { log.push_back("position " + std::to_string(std::lround(d))); }
    void Play() override { log.push_back("play"); }
    void Stop() override { log.push_back("stop"); }
    void Pause() override { log.push_back("pause"); }
    std::string GetErrorDescription() const override { return "No audio device."; }
    void SetEvents(IMediaPlayerEvents* p) override { pEvents = p; }
    std::deque<std::optional<std::string>> answers; // what the file dialogs choose in turn
    double dPosition = 0.0;
    IMediaPlayerEvents* pEvents = nullptr;
    Log log;
    std::vector<std::string> folders; // the folder each file dialog was to start in
};

// The Customize dialog answers 7 when it is shown the overlap 9, not yet customized.
class CTestMainDlg : public CMainDlg {
public:
    using CMainDlg::CMainDlg;

protected:
    uint32_t RunCustomizeDialog(uint32_t nOverlap, bool bUseValue) override
    {
        return nOverlap == 9 && !bUseValue ? 7 : 0;
    }
    // Records the files each split notice names; shows the real one when asked.
    void RunSplitNotice(const std::vector<std::string>& written) override
    {
        notices.push_back(written);
        if (bRealNotice)
            CMainDlg::RunSplitNotice(written);
    }

public:
    std::vector<std::vector<std::string>> notices;
    bool bRealNotice = false;
};

// A 10-second 8 kHz mono 8-bit WAV file: one byte per sample frame.
const CWavLayout kSmallWav{.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1,
                           .bitsPerSample = 8, .dataBytes = 8000 * 10};

class MainDlgTest : public ::testing::Test {
protected:
    MainDlgTest() : dlg({ui, fakes, settings, fakes}) { WriteBytes(strWav, BuildWav(kSmallWav)); }

    QAction* Command(const char* pszName) { return dlg.findChild<QAction*>(QLatin1String(pszName)); }
    CTrackBar& Slider() { return *ByControlId<CTrackBar>(dlg, 1039); }
    void Click(int nId) { ByControlId<QAbstractButton>(dlg, nId)->click(); }
    void Open(const std::optional<std::string>& strPath)
    {
        fakes.answers.push_back(strPath);
        Command("actionOpen")->trigger();
    }
    // Moves the thumb with the arrow keys, as the user would.
    void MoveTo(int nPos)
    {
        while (Slider().GetPos() < nPos)
            QTest::keyClick(&Slider(), Qt::Key_Right);
        while (Slider().GetPos() > nPos)
            QTest::keyClick(&Slider(), Qt::Key_Left);
    }
    // Marks the selection from nFrom to nTo with Start and End.
    void Mark(int nFrom, int nTo)
    {
        MoveTo(nFrom);
        Click(1046);
        MoveTo(nTo);
        Click(1040);
    }
    // The enabled ones of Start, End, Save, Clear, Legend, Play, Stop, as "SESCLPT" with '-' for disabled.
    std::string Buttons()
    {
        std::string str;
        const std::pair<int, char> ids[] = {{1046, 'S'}, {1040, 'E'}, {1042, 'A'}, {1043, 'C'},
                                            {1041, 'L'}, {1044, 'P'}, {1045, 'T'}};
        for (auto [nId, c] : ids)
            str += ByControlId(dlg, nId)->isEnabled() ? c : '-';
        return str;
    }
    std::string LastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().strText; }

    CTempDir dir;
    CFakeUi ui;
    CFakes fakes;
    CQtSettings settings{QString::fromStdString(dir / "Tolvane.conf")};
    CTestMainDlg dlg;
    std::string strWav = dir / "Take ONE.WAV";
};

// Seconds a step and last position at the boundaries of the step sizes.
TEST(SliderScale, StepAndLastPositionFollowThePlayingTime)
{
    const std::pair<double, CSliderScale> cases[] = {{50.0, {1, 50}},    {50.2, {3, 17}},   {101.0, {10, 11}},
                                                     {1001.0, {300, 4}}, {std::nan(""), {1, 0}}};
    for (const auto& [dDuration, scale] : cases)
        EXPECT_EQ(SliderScaleFor(dDuration), scale) << dDuration;
}

// The path is opened as chosen, capitals and all; the file name decides the kind, never a folder.
TEST_F(MainDlgTest, OpensByTheFileNameAsChosen)
{
    const std::tuple<std::string, Bytes, std::string> cases[] = {
        {"noise.mp3", Filler(4000), "Invalid MP3 file !!!"}, // the message shown when it does not open
        {"mixes.mp3/Song.WAV", BuildWav(kSmallWav), ""},
        {"Album/Track.Mp3", Stream({}, 417, 200), ""}};
    ui.questionAnswer = EMsgAnswer::Yes;
    for (const auto& [strRelative, content, strMessage] : cases) {
        const std::string strPath = dir.Path() + "/" + strRelative;
        std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
        WriteBytes(strPath, content);
        ui.messages.clear();
        Open(strPath); // answering Yes to the question about the last file
        const bool bOpens = strMessage.empty();
        EXPECT_EQ(dlg.GetAudioFile() != nullptr, bOpens) << strRelative;
        EXPECT_EQ(LastMessage().ends_with("open another file ?") ? "" : LastMessage(), strMessage) << strRelative;
        EXPECT_EQ(dlg.windowTitle().toStdString(), bOpens ? "Tolvane - " + strPath : "Tolvane");
        EXPECT_EQ(Buttons(), bOpens ? "S---LP-" : "-------") << strRelative;
    }
    // Yes to the question while playing, then no file chosen: everything is reset.
    Click(1046);
    MoveTo(2);
    Click(1044);
    fakes.log.clear();
    Open(std::nullopt);
    EXPECT_EQ(fakes.log, (Log{"pause", "open dialog"}));
    EXPECT_EQ(dlg.GetAudioFile(), nullptr);
    EXPECT_EQ(dlg.GetPlayState(), EPlayState::Idle);
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(Buttons(), "-------");
    EXPECT_EQ(Slider().GetSelStart(), Slider().GetSelEnd());
}

// The selection's states, driven by the buttons, the thumb and the timer: the buttons enabled and the selection.
TEST_F(MainDlgTest, ButtonsFollowTheSelection)
{
    const auto state = [&] {
        return Buttons() + " " + std::to_string(Slider().GetSelStart()) + "-" + std::to_string(Slider().GetSelEnd());
    };
    WriteSparseWav(strWav, kSmallWav, 8000 * 60); // three seconds a step
    Open(strWav);
    Mark(4, 4);
    EXPECT_EQ(state(), "-E-CLP- 0-0");
    EXPECT_EQ(LastMessage(), "Please make a selection by dragging the slider thumb.");
    MoveTo(6);
    Command("actionOpen")->trigger(); // No to the question keeps the file and the selection
    EXPECT_EQ(LastMessage(), "Take ONE.WAV is already open. Do you wish to open another file ?");
    EXPECT_EQ(state(), "-E-CLP- 4-6");
    Click(1043);
    MoveTo(9);
    EXPECT_EQ(state(), "S---LP- 0-0");
    Click(1046);
    Click(1044);
    fakes.dPosition = 40.9; // the timer moves the thumb and grows the selection
    dlg.OnTimer();
    EXPECT_EQ(state(), "-E-CL-T 9-13");
}

// A failed save and a source cut short since its opening are shown as errors and clear the selection.
TEST_F(MainDlgTest, SaveFailuresAreShownAndClearTheSelection)
{
    Open(strWav);
    for (const std::string& strOut : {dir / "missing/out.wav", dir / "late.wav"}) {
        Mark(1, 4);
        fakes.answers = {strOut};
        Click(1042);
        EXPECT_EQ(Buttons(), "S---LP-");
        EXPECT_EQ(ui.messages.back().strCaption, "Error");
        std::filesystem::resize_file(strWav, 100); // for the second, the source is cut short since its opening
    }
    EXPECT_EQ(ui.messages.front().strText, "Cannot create destination file.");
    EXPECT_NE(LastMessage().find("Take ONE.WAV"), std::string::npos) << LastMessage();
}

// The last second of this MP3 starts inside its last frame: Save refuses it
// with a message, writes no file and says nothing of a saved fragment.
TEST_F(MainDlgTest, ASelectionWithNoAudioIsRefused)
{
    const std::string strMp3 = dir / "end.mp3";
    WriteBytes(strMp3, Stream({.bitrateIndex = 1}, 104, 385)); // 10.01 s
    Open(strMp3);
    Mark(10, 11);
    fakes.answers = {dir / "out.mp3"};
    Click(1042);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().strCaption, "Error");
    EXPECT_EQ(LastMessage(), "This selection holds no audio.");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.mp3"));
}

// The stored overlap is read at every open until Customize sets one for the run.
TEST_F(MainDlgTest, OverlapComesFromTheStoreUntilCustomized)
{
    const auto overlapGiven = [&] {
        ui.shredAnswer = {};
        Command("actionShred")->trigger();
        return ui.waveShredArgs.back().nOverlap;
    };
    settings.SetUInt32("Overlap time", 5);
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 5);

    settings.SetUInt32("Overlap time", 9);
    ui.questionAnswer = EMsgAnswer::Yes;
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 9);

    Command("actionCustomize")->trigger();
    EXPECT_EQ(overlapGiven(), 7);

    settings.SetUInt32("Overlap time", 11);
    Open(strWav);
    EXPECT_EQ(overlapGiven(), 7);
}

TEST_F(MainDlgTest, FileMenuGraysCommandsWithoutAFile)
{
    const auto enabled = [&] {
        emit dlg.findChild<QMenu*>(QStringLiteral("menuFile"))->aboutToShow();
        std::string str;
        for (const char* pszName : {"actionOpen", "actionShred", "actionCustomize", "actionInfo", "actionExit"})
            str += Command(pszName)->isEnabled() ? '1' : '0';
        return str;
    };
    EXPECT_EQ(enabled(), "10001");
    Open(strWav);
    EXPECT_EQ(enabled(), "11111");
}

// Playback's state table, walked: a step, what the player was told, Play and Stop, the timer, the state.
TEST_F(MainDlgTest, PlaybackFollowsTheStateTable)
{
    WriteSparseWav(strWav, kSmallWav, 8000 * 150); // ten seconds a step, positions 0 to 15
    Open(strWav);
    Mark(7, 8); // a marked selection, so that Save can be pressed
    const std::function<void()> play = [&] { Click(1044); };
    const std::function<void()> stop = [&] { Click(1045); };
    const std::function<void()> right = [&] { QTest::keyClick(&Slider(), Qt::Key_Right); };
    const std::function<void()> drag = [&] {
        Slider().SetPos(9);
        emit Slider().Scrolled(CTrackBar::ThumbTrack);
    };
    const std::function<void()> release = [&] { emit Slider().Scrolled(CTrackBar::ThumbPosition); };
    const std::function<void()> error = [&] { fakes.pEvents->OnPlayerError(); };
    const std::function<void()> end = [&] { fakes.pEvents->OnEndOfStream(0); };
    const std::function<void()> save = [&] { Click(1042); };
    const std::function<void()> info = [&] { Command("actionInfo")->trigger(); };
    using S = EPlayState;
    const std::string strFile = "file " + strWav;
    const std::tuple<std::function<void()>, Log, std::string, bool, EPlayState> steps[] = {
        {play, {strFile, "position 80", "play"}, "-T", true, S::Playing},
        {right, {"position 90", "play"}, "-T", true, S::Playing},
        {drag, {}, "-T", false, S::Playing},
        {release, {"position 90", "play"}, "-T", true, S::Playing},
        {info, {}, "-T", true, S::Playing},
        {stop, {"stop"}, "P-", false, S::Stopped},
        {right, {}, "P-", false, S::Stopped},
        {play, {"play"}, "-T", true, S::Playing}, // resumes where it stopped
        {end, {}, "P-", false, S::Idle},
        {play, {strFile, "position 150", "play"}, "-T", true, S::Playing},
        {error, {}, "P-", false, S::Idle},
        {release, {}, "P-", false, S::Idle},
        {play, {strFile, "position 150", "play"}, "-T", true, S::Playing},
        {save, {"stop", "save dialog"}, "P-", false, S::Stopped}};
    int nStep = 0;
    for (const auto& [step, calls, strButtons, bTimer, state] : steps) {
        fakes.log.clear();
        step();
        EXPECT_EQ(fakes.log, calls) << "step " << nStep;
        EXPECT_EQ(Buttons().substr(5), strButtons) << "step " << nStep;
        EXPECT_EQ(dlg.IsTimerRunning(), bTimer) << "step " << nStep;
        EXPECT_EQ(dlg.GetPlayState(), state) << "step " << nStep++;
    }
}

// Save (leftwards, after a cancelled Save dialog) and Shred Equally write what tolvane-cut writes.
class MainDlgLikeTheCommandLine : public MainDlgTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(MainDlgLikeTheCommandLine, WritesTheSameBytes)
{
    const std::string strExt = GetParam(), strSource = dir.Path() + "/take." + strExt;
    WriteBytes(strSource, strExt == "wav" ? BuildWav(kSmallWav) : Stream({}, 417, 200) + Id3v1Tag("Take"));
    settings.SetUInt32("Overlap time", 1);
    Open(strSource);
    for (const char* pszFolder : {"/gui", "/cli"})
        std::filesystem::create_directories(dir.Path() + pszFolder);

    Mark(3, 1);
    fakes.answers = {std::nullopt, dir.Path() + "/gui/piece." + strExt};
    Click(1042);
    EXPECT_EQ(Buttons(), "--ACLP-");
    Click(1042);
    EXPECT_EQ(Buttons(), "S---LP-");
    ui.shredAnswer = {.bOk = true, .nFragments = 3, .strBaseName = dir.Path() + "/gui/take", .nOverlap = 1};
    Command("actionShred")->trigger();
    const std::string strCli = dir.Path() + "/cli/";
    ASSERT_EQ(RunCommand({TOLVANE_CUT, "save", strSource, "--from", "1", "--to", "3", "-o", strCli + "piece." + strExt})
                  .nExit, 0);
    ASSERT_EQ(
        RunCommand({TOLVANE_CUT, "shred", strSource, "-n", "3", "--overlap", "1", "--base", strCli + "take"}).nExit, 0);
    for (const std::string strName : {"piece.", "TAKE-1.", "TAKE-2.", "TAKE-3."}) {
        const Bytes fromWindow = ReadBytes(dir.Path() + "/gui/" + strName + strExt);
        EXPECT_GT(fromWindow.size(), 128u) << strName;
        EXPECT_EQ(fromWindow, ReadBytes(strCli + strName + strExt)) << strName;
    }
}

// With exact cuts stored, Shred Equally writes what tolvane-cut shred --exact writes.
TEST_P(MainDlgLikeTheCommandLine, ShredsExactlyWhenExactCutsAreStored)
{
    const std::string strExt = GetParam(), strSource = dir.Path() + "/take." + strExt;
    WriteBytes(strSource, strExt == "wav" ? BuildWav(kSmallWav) : Stream({}, 417, 200) + Id3v1Tag("Take"));
    settings.SetUInt32("Exact cuts", 1);
    settings.SetUInt32("Overlap time", 1);
    Open(strSource);
    ui.shredAnswer = {.bOk = true, .nFragments = 3, .strBaseName = dir.Path() + "/gui", .nOverlap = 1};
    Command("actionShred")->trigger();
    ASSERT_EQ(RunCommand({TOLVANE_CUT, "shred", strSource, "-n", "3", "--overlap", "1", "--exact", "--base",
                          dir.Path() + "/cli"}).nExit, 0);
    for (const std::string strName : {"-1.", "-2.", "-3."})
        EXPECT_EQ(ReadBytes(dir.Path() + "/GUI" + strName + strExt), ReadBytes(dir.Path() + "/CLI" + strName + strExt))
            << strName;
    // 80000 frames in three: 26667, 26667 and 26666, the second led in by one second.
    if (strExt == "wav") {
        EXPECT_EQ(ReadWrittenWav(dir.Path() + "/GUI-2.wav").nDataSize, 26667u + 8000);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MainDlgLikeTheCommandLine, ::testing::Values("wav", "mp3"));

// ---- Start-up arguments ----------------------------------------------------

struct CParsed {
    CStartupArgs args;
    std::string strOut, strErr;
};

CParsed Parse(std::vector<const char*> argv)
{
    argv.insert(argv.begin(), "tolvane");
    std::ostringstream out, err;
    CParsed parsed{ParseStartupArgs(static_cast<int>(argv.size()), argv.data(), out, err), "", ""};
    parsed.strOut = out.str();
    parsed.strErr = err.str();
    return parsed;
}

// Help and version end the run with 0 and print to standard output; usage errors say what and hint, with 2.
TEST(StartupArgs, HelpVersionAndUsageErrors)
{
    const std::string strCwd = std::filesystem::current_path().string();
    EXPECT_TRUE(Parse({"--help"}).strOut.starts_with("Usage: tolvane [FILE]\n"));
    EXPECT_EQ(Parse({"take.wav", "--help"}).args.nExit, 0);
    EXPECT_EQ(Parse({"--version"}).strOut, "tolvane 0.1.0\n");
    const std::pair<std::vector<const char*>, std::string> errors[] = {
        {{"--bogus"}, "tolvane: unknown option '--bogus'\n"},
        {{"a.wav", "b.wav"}, "tolvane: only one file can be opened: 'b.wav'\n"},
        {{"-style"}, "tolvane: option '-style' needs a value\n"}};
    for (const auto& [argv, strLine] : errors) {
        const CParsed parsed = Parse(argv);
        EXPECT_EQ(parsed.args.nExit, 2) << strLine;
        EXPECT_EQ(parsed.strErr, strLine + "Try 'tolvane --help'.\n");
        EXPECT_EQ(parsed.strOut, "");
    }
    // Qt's own options are left to Qt; "--" lets a file name start with a dash; a relative name is made full.
    const std::pair<std::vector<const char*>, std::string> files[] = {
        {{}, ""},
        {{"-style", "fusion", "take.wav"}, strCwd + "/take.wav"},
        {{"-platform=offscreen", "./Take ONE.WAV"}, strCwd + "/Take ONE.WAV"},
        {{"--", "-n.wav"}, strCwd + "/-n.wav"},
        {{"/music/x.mp3"}, "/music/x.mp3"}};
    for (const auto& [argv, strFile] : files) {
        const CParsed parsed = Parse(argv);
        EXPECT_FALSE(parsed.args.nExit.has_value()) << strFile;
        EXPECT_EQ(parsed.args.strFile, strFile);
    }
}

// A path given to the window (at start, by a drop or from Recent Files) opens as File > Open opens the one chosen.
TEST_F(MainDlgTest, OpenPathOpensAsTheOpenCommandDoes)
{
    std::filesystem::create_directories(dir / "album.wav");
    WriteBytes(dir / "notes.txt", {'x'});
    const std::pair<std::string, std::string> refused[] = {
        {dir / "notes.txt", "notes.txt is not a WAV or MP3 file."},
        {dir / "album.wav", "album.wav is a folder, not a WAV or MP3 file."},
        {dir / "gone.wav", "Cannot open audio file."}};
    for (const auto& [strPath, strMessage] : refused) {
        EXPECT_FALSE(dlg.OpenPath(strPath));
        EXPECT_TRUE(LastMessage().starts_with(strMessage)) << LastMessage();
        EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane");
    }
    EXPECT_TRUE(dlg.OpenPath(strWav));
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    EXPECT_EQ(Buttons(), "S---LP-");
    // With a file open it asks first, as Open does; No keeps the file.
    EXPECT_FALSE(dlg.OpenPath(strWav));
    EXPECT_EQ(ui.messages.back().strCaption, "Comfirm");
    EXPECT_NE(dlg.GetAudioFile(), nullptr);
}

// ---- Dropped files ---------------------------------------------------------

class MainDlgDropTest : public MainDlgTest {
protected:
    // Drags the URLs over the window and drops them; whether the window took the drag.
    bool Drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(&dlg, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &drop);
        QApplication::processEvents(); // the drop is opened once the drag has been answered
        return true;
    }
    static QUrl Url(const std::string& strPath) { return QUrl::fromLocalFile(QString::fromStdString(strPath)); }
};

TEST_F(MainDlgDropTest, OneAudioFileOpensAndAsksWhenAFileIsOpen)
{
    EXPECT_TRUE(Drop({Url(strWav)}));
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    EXPECT_TRUE(ui.messages.empty());

    const std::string strMp3 = dir / "Track.MP3";
    WriteBytes(strMp3, Stream({}, 417, 200));
    EXPECT_TRUE(Drop({Url(strMp3)})); // No to the question: the WAV file stays
    EXPECT_EQ(LastMessage(), "Take ONE.WAV is already open. Do you wish to open another file ?");
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    ui.questionAnswer = EMsgAnswer::Yes;
    EXPECT_TRUE(Drop({Url(strMp3)}));
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strMp3);
}

// A refused drop names what was dropped, asks nothing and leaves the open file as it was.
TEST_F(MainDlgDropTest, AnythingElseIsRefusedByName)
{
    dlg.OpenPath(strWav);
    WriteBytes(dir / "notes.txt", {'x'});
    std::filesystem::create_directories(dir / "takes");
    const std::pair<QList<QUrl>, std::string> refused[] = {
        {{Url(dir / "notes.txt")}, "notes.txt is not a WAV or MP3 file."},
        {{Url(dir / "takes")}, "takes is a folder, not a WAV or MP3 file."},
        {{Url(strWav), Url(dir / "notes.txt")},
         "Drop one file at a time. These were dropped:\n" + strWav + "\n" + dir / "notes.txt"}};
    for (const auto& [urls, strMessage] : refused) {
        ui.messages.clear();
        EXPECT_TRUE(Drop(urls));
        ASSERT_EQ(ui.messages.size(), 1u) << strMessage;
        EXPECT_EQ(LastMessage(), strMessage);
        EXPECT_EQ(ui.messages.back().strCaption, "Error");
        EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    }
    // A drag that carries no local file is not taken at all.
    ui.messages.clear();
    EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/take.wav"))}));
    EXPECT_FALSE(Drop({}));
    EXPECT_TRUE(ui.messages.empty());
}

// ---- What is kept between runs ----------------------------------------------

class MainDlgRecentTest : public MainDlgTest {
protected:
    // The Recent Files entries as the File menu shows them: text, and the path in the status tip.
    std::vector<std::pair<std::string, std::string>> Entries()
    {
        emit dlg.findChild<QMenu*>(QStringLiteral("menuFile"))->aboutToShow();
        std::vector<std::pair<std::string, std::string>> entries;
        for (QAction* pAction : dlg.findChild<QMenu*>(QStringLiteral("menuRecent"))->actions())
            entries.emplace_back(pAction->text().toStdString(), pAction->statusTip().toStdString());
        return entries;
    }
    std::string Take(int n) { return dir / ("take " + std::to_string(n) + ".wav"); }
};

TEST_F(MainDlgRecentTest, LastEightMostRecentFirstWithoutTheMissing)
{
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(dlg.findChild<QMenu*>(QStringLiteral("menuRecent"))->menuAction()->isEnabled());
    ui.questionAnswer = EMsgAnswer::Yes;
    for (int n = 1; n <= 9; ++n) {
        WriteBytes(Take(n), BuildWav(kSmallWav));
        Open(Take(n));
    }
    dlg.OpenPath(Take(4)); // opened again: first, once
    dlg.OpenPath(dir / "notes.mp3"); // not opened: not listed
    std::vector<std::pair<std::string, std::string>> expected;
    for (int n : {4, 9, 8, 7, 6, 5, 3, 2})
        expected.emplace_back("&" + std::to_string(expected.size() + 1) + " take " + std::to_string(n) + ".wav",
                              Take(n));
    EXPECT_EQ(Entries(), expected);

    std::filesystem::remove(Take(9));
    std::filesystem::remove(Take(2));
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[1].first, "&2 take 8.wav");
    EXPECT_EQ(entries[1].second, Take(8));
    // Dropped from the store too: a window of the next run lists the same.
    CTestMainDlg next({ui, fakes, settings, fakes});
    emit next.findChild<QMenu*>(QStringLiteral("menuFile"))->aboutToShow();
    EXPECT_EQ(next.findChild<QMenu*>(QStringLiteral("menuRecent"))->actions().size(), 6);
}

// Choosing an entry opens its file as File > Open does: the question first, then the file.
TEST_F(MainDlgRecentTest, ChoosingAnEntryOpensIt)
{
    ui.questionAnswer = EMsgAnswer::Yes;
    const std::string strOdd = dir / "Rock & Roll.wav";
    for (const std::string& strPath : {Take(1), strOdd}) {
        WriteBytes(strPath, BuildWav(kSmallWav));
        Open(strPath);
    }
    EXPECT_EQ(Entries().front().first, "&1 Rock && Roll.wav");
    dlg.findChild<QMenu*>(QStringLiteral("menuRecent"))->actions().at(1)->trigger();
    EXPECT_EQ(LastMessage(), "Rock & Roll.wav is already open. Do you wish to open another file ?");
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + Take(1));
    EXPECT_EQ(Entries().front().second, Take(1));
}

// Open and Save start in the folder last chosen in either.
TEST_F(MainDlgTest, FileDialogsStartInTheLastFolder)
{
    for (const char* pszFolder : {"in", "out"})
        std::filesystem::create_directories(dir / pszFolder);
    WriteBytes(dir / "in/a.wav", BuildWav(kSmallWav));
    Open(dir / "in/a.wav");
    Mark(1, 2);
    fakes.answers = {dir / "out/piece.wav"};
    Click(1042);
    ui.questionAnswer = EMsgAnswer::Yes;
    Open(std::nullopt);
    EXPECT_EQ(fakes.folders, (std::vector<std::string>{"", dir / "in", dir / "out"}));
}

// The window comes back where it was closed, unless that is off every screen.
TEST_F(MainDlgTest, WindowPositionIsKept)
{
    dlg.move(30, 40);
    dlg.done(QDialog::Rejected);
    EXPECT_EQ(settings.GetString("Window position"), "30,40");
    CTestMainDlg next({ui, fakes, settings, fakes});
    EXPECT_EQ(next.pos(), QPoint(30, 40));
    for (const char* pszStored : {"-90000,-90000", "30;40", "x,y"}) {
        settings.SetString("Window position", pszStored);
        CTestMainDlg other({ui, fakes, settings, fakes});
        EXPECT_EQ(other.pos(), QPoint(0, 0)) << pszStored;
    }
}

// Texts and lists come back as written, commas, quotes and all, beside the numbers.
TEST(QtSettings, TextsAndListsReadBackAsWritten)
{
    CTempDir dir;
    CQtSettings settings(QString::fromStdString(dir / "sub/Tolvane.conf"));
    EXPECT_EQ(settings.GetString("Last folder"), std::nullopt);
    EXPECT_TRUE(settings.GetStringList("Recent files").empty());
    const std::string strOdd = "/m\u00fcsic/a, \"b\" = c;d\\e";
    const std::vector<std::vector<std::string>> lists = {{}, {strOdd}, {"/a.wav", strOdd, ""}};
    for (const std::vector<std::string>& list : lists) {
        EXPECT_EQ(settings.SetStringList("Recent files", list), ESettingsWrite::Ok);
        EXPECT_EQ(settings.GetStringList("Recent files"), list);
    }
    EXPECT_EQ(settings.SetString("Last folder", strOdd), ESettingsWrite::Ok);
    EXPECT_EQ(settings.SetUInt32("Overlap time", 12), ESettingsWrite::Ok);
    EXPECT_EQ(settings.GetString("Last folder"), strOdd);
    EXPECT_EQ(settings.GetString("Recent files"), std::nullopt); // a list is no single text
    EXPECT_EQ(settings.GetUInt32("Overlap time"), 12u);
    EXPECT_EQ(settings.GetUInt32("Last folder"), std::nullopt);
}

// Up to eleven names are listed; more are cut to the first ten and a count, the notice keeping all in its details.
TEST(SplitNotice, LongListsAreCutShort)
{
    std::vector<std::string> names;
    std::string strListed = "Written:";
    for (int n = 1; n <= 12; ++n) {
        names.push_back("/f/P-" + std::to_string(n) + ".wav");
        strListed += n <= 10 ? "\n" + names.back() : "";
    }
    EXPECT_EQ(TextWithNames("Written:", names), strListed + "\nand 2 more.");
    names.pop_back();
    EXPECT_EQ(TextWithNames("Written:", names), strListed + "\n/f/P-11.wav");
    names.emplace_back("/f/P-12.wav");
    const CSplitNotice notice(names, [](const QUrl&) {}, nullptr);
    EXPECT_EQ(notice.detailedText().count(QLatin1Char('\n')), 11);
}

// ---- The end of a split -----------------------------------------------------

// A split that wrote files names them; one that wrote nothing shows nothing new.
TEST_F(MainDlgTest, SplitNoticeNamesTheFilesWritten)
{
    Open(strWav);
    ui.shredAnswer = {}; // cancelled in the dialog
    Command("actionShred")->trigger();
    EXPECT_TRUE(dlg.notices.empty());
    EXPECT_TRUE(ui.messages.empty());
    ui.shredAnswer = {.bOk = true, .nFragments = 2, .strBaseName = dir / "part"};
    Command("actionShred")->trigger();
    EXPECT_EQ(dlg.notices, (std::vector<std::vector<std::string>>{{dir / "PART-1.wav", dir / "PART-2.wav"}}));
    EXPECT_TRUE(ui.messages.empty());
}

// The real notice: caption, the files, and Open Folder opening their folder through the opener given.
TEST_F(MainDlgTest, SplitNoticeOpensTheFolder)
{
    std::vector<QUrl> opened;
    dlg.SetFolderOpener([&](const QUrl& url) { opened.push_back(url); });
    dlg.bRealNotice = true;
    Open(strWav);
    std::string strShown, strCaption;
    QTimer::singleShot(0, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(pBox, nullptr);
        strShown = pBox->text().toStdString();
        strCaption = pBox->windowTitle().toStdString();
        for (QAbstractButton* pButton : pBox->buttons())
            if (pButton->text() == QStringLiteral("Open &Folder"))
                pButton->click();
    });
    ui.shredAnswer = {.bOk = true, .nFragments = 2, .strBaseName = dir / "out/part"};
    std::filesystem::create_directories(dir / "out");
    Command("actionShred")->trigger();
    EXPECT_EQ(strCaption, "Information");
    EXPECT_EQ(strShown, "These files were written:\n" + dir / "out/PART-1.wav" + "\n" + dir / "out/PART-2.wav");
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(dir / "out"))}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
