#include "app/MainDlg.h"
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

namespace {

// The file dialogs and the player, scripted, log what they were asked, in order.
using Log = std::vector<std::string>;

struct CFakes : IFileDialogs, IMediaPlayer {
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs& a) override { return Answer("open dialog", a); }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs& a) override { return Answer("save dialog", a); }
    std::optional<std::string> Answer(const std::string& strDialog, const CFileDialogArgs& args)
    {
        log.push_back(strDialog);
        folders.push_back(args.strInitialFolder);
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
    // The split notice is shown only when asked for, not to block the other splits.
    void RunSplitNotice(const std::vector<std::string>& written) override
    {
        if (bRealNotice)
            CMainDlg::RunSplitNotice(written);
    }

public:
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

// A start-up path opens as File > Open opens the one chosen; anything else is refused by name.
TEST_F(MainDlgTest, OpenPathOpensAsTheOpenCommandDoes)
{
    WriteBytes(dir / "notes.txt", {'x'});
    EXPECT_FALSE(dlg.OpenPath(dir / "notes.txt"));
    EXPECT_EQ(LastMessage(), "notes.txt is not a WAV or MP3 file.");
    EXPECT_TRUE(dlg.OpenPath(strWav));
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    EXPECT_EQ(Buttons(), "S---LP-");
}

// A dropped audio file opens; a text file or two files are refused by name, the open file kept.
TEST_F(MainDlgTest, DroppedFiles)
{
    const auto url = [](const std::string& str) { return QUrl::fromLocalFile(QString::fromStdString(str)); };
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &event);
        QApplication::processEvents(); // the drop is opened once the drag has been answered
    };
    drop({url(strWav)});
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    EXPECT_TRUE(ui.messages.empty());
    WriteBytes(dir / "notes.txt", {'x'});
    const std::pair<QList<QUrl>, std::string> refused[] = {
        {{url(dir / "notes.txt")}, "notes.txt is not a WAV or MP3 file."},
        {{url(strWav), url(dir / "notes.txt")},
         "Drop one file at a time. These were dropped:\n" + strWav + "\n" + dir / "notes.txt"}};
    for (const auto& [urls, strMessage] : refused) {
        ui.messages.clear();
        drop(urls);
        ASSERT_EQ(ui.messages.size(), 1u) << strMessage;
        EXPECT_EQ(LastMessage(), strMessage);
        EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + strWav);
    }
}

// Recent Files: the last eight, most recent first, the missing dropped; choosing one opens it.
TEST_F(MainDlgTest, RecentFiles)
{
    auto* pRecent = dlg.findChild<QMenu*>(QStringLiteral("menuRecent"));
    const auto entries = [&] {
        emit dlg.findChild<QMenu*>(QStringLiteral("menuFile"))->aboutToShow();
        std::vector<std::string> texts;
        for (QAction* pAction : pRecent->actions())
            texts.push_back(pAction->text().toStdString() + "|" + pAction->statusTip().toStdString());
        return texts;
    };
    const auto take = [&](int n) { return dir / ("take " + std::to_string(n) + ".wav"); };
    ui.questionAnswer = EMsgAnswer::Yes;
    for (int n = 1; n <= 9; ++n) {
        WriteBytes(take(n), BuildWav(kSmallWav));
        Open(take(n));
    }
    dlg.OpenPath(take(4)); // opened again: first, once
    std::vector<std::string> expected;
    for (int n : {4, 9, 8, 7, 6, 5, 3, 2})
        expected.push_back("&" + std::to_string(expected.size() + 1) + " take " + std::to_string(n) + ".wav|" + take(n));
    EXPECT_EQ(entries(), expected);
    std::filesystem::remove(take(9));
    ASSERT_EQ(entries().size(), 7u);
    EXPECT_EQ(entries()[1], "&2 take 8.wav|" + take(8));
    pRecent->actions().at(1)->trigger();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Tolvane - " + take(8));
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

// The split notice names the files written; Open Folder opens their folder through the opener given.
TEST_F(MainDlgTest, SplitNoticeOpensTheFolder)
{
    std::vector<QUrl> opened;
    dlg.SetFolderOpener([&](const QUrl& url) { opened.push_back(url); });
    dlg.bRealNotice = true;
    Open(strWav);
    std::string strShown;
    QTimer::singleShot(0, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(pBox, nullptr);
        strShown = pBox->windowTitle().toStdString() + ": " + pBox->text().toStdString();
        for (QAbstractButton* pButton : pBox->buttons())
            if (pButton->text() == QStringLiteral("Open &Folder"))
                pButton->click();
    });
    std::filesystem::create_directories(dir / "out");
    ui.shredAnswer = {.bOk = true, .nFragments = 2, .strBaseName = dir / "out/piece"};
    Command("actionShred")->trigger();
    EXPECT_EQ(strShown, "Information: These files were written:\n" + dir / "out/PIECE-1.wav" + "\n" +
                            dir / "out/PIECE-2.wav");
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(dir / "out"))}));
}

} // namespace
