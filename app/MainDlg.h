#pragma once

#include "app/SplitNotice.h"
#include "audio/CutPlan.h"
#include "audio/SoundAnalysis.h"
#include "split/Silences.h"
#include "platform/MessageBox.h"
#include "platform/ui/QtWindow.h"
#include "player/MediaPlayer.h"
#include "split/ui/ShredEquallyDlg.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CAudioFile;
class CTrackBar;
class CZoomView;
class QLineEdit;
class IAudioUi;
class IFileDialogs;
class ISettings;
class QAction;
class QPushButton;
namespace Ui {
class MainDlg;
}

// How many seconds one position of the time line stands for, and its last
// position, for a file of the given playing time: the step grows with the
// time so that the line keeps a readable number of positions, and the last
// position always reaches the end of the file.
struct CSliderScale {
    uint32_t nSecsPerStep = 1;
    uint32_t nMax = 0;
    bool operator==(const CSliderScale&) const = default;
};
CSliderScale SliderScaleFor(double dDuration);

enum class EPlayState : uint8_t { Idle = 0, Playing = 1, Stopped = 2 };

// Where the picture of the sound comes from: CSoundAnalysis's Start and
// Detail in the program, doubles in tests. Either may be missing; the time
// line then shows a plain band.
struct CSoundSource {
    std::function<std::unique_ptr<CSoundAnalysis>(const std::string& strPath)> start;
    std::function<std::vector<SPeak>(const std::string& strPath, uint64_t nFrom, uint64_t nTo, size_t nColumns)>
        detail;
};

// The clock line under the time line: the thumb's time, the selection's start,
// end and length (or none), and the file's length, all with hours when the
// file lasts an hour or more.
std::string ClockText(double dThumb, std::optional<std::pair<double, double>> selection, double dLength);

// The main window: the time line, the button row and the menu. It owns the
// one opened audio file and lives for the whole run; closing it ends the
// program. Everything it shows or asks goes through the services it is given,
// so tests answer message boxes, file dialogs, settings and the player.
class CMainDlg : public QDialog, public IShredDlgOwner, private IMediaPlayerEvents {
    Q_OBJECT
public:
    struct CServices {
        IAudioUi& ui; // message boxes and the audio file's windows
        IFileDialogs& files;
        ISettings& settings;
        IMediaPlayer& player;
        CSoundSource sound = {};
    };

    explicit CMainDlg(const CServices& services, QWidget* pParent = nullptr);
    ~CMainDlg() override;

    // What the Shred Equally dialog asks of the main window.
    void Customize() override;
    uint32_t GetOverlapTime() const override { return m_nOverlap; }
    std::string GetFileFilter() const override;

    // Opens the file as File > Open opens the one chosen in its dialog, asking
    // first when a file is open: at start, for a drop and for Recent Files.
    // False when no file was opened (the message says why).
    bool OpenPath(const std::string& strPath);
    // What opens a folder for the Open Folder button after a split.
    void SetFolderOpener(FolderOpener opener) { m_folderOpener = std::move(opener); }

    // Keeps the window's place for the next start.
    void done(int nResult) override;

    const CAudioFile* GetAudioFile() const { return m_pAudioFile.get(); }
    EPlayState GetPlayState() const { return m_ePlayState; }
    uint32_t GetSecsPerStep() const { return m_nSecsPerStep; }
    bool IsOverlapCustomized() const { return m_bOverlapCustomized; }
    bool IsTimerRunning() const { return m_timer.isActive(); }
    CWnd* GetWnd() { return &m_wnd; }

    // The timer's tick, as the once-a-second timer calls it (more often while
    // a stretch plays that stops at its end).
    void OnTimer();

    // The exact marks, in sample frames of the file's cut points; none when
    // nothing is marked or cuts are not exact.
    std::optional<std::pair<uint64_t, uint64_t>> GetMarks() const;
    bool IsExact() const { return m_bExact; }
    const CSoundAnalysis* GetAnalysis() const { return m_pAnalysis.get(); }

    static constexpr int kTimerPeriod = 1000;
    static constexpr int kSpanTimerPeriod = 20;
    // How far a played end reaches back from the end mark, and how much a
    // zoomed view shows either side of its mark.
    static constexpr double kPlayEndSeconds = 2.0;
    static constexpr double kZoomSeconds = 5.0;
    static constexpr const char* kOpenFilter =
        "All Supported files| *.wav;*.mp3|Wave Files (*.wav)| *.wav|MP3 files (*.mp3)| *.mp3|All Files|*.*||";

protected:
    // The modal dialogs the commands run, replaced by tests.
    virtual uint32_t RunCustomizeDialog(uint32_t nOverlap, bool bUseValue);
    virtual void RunAboutDialog();
    // The notice listing the files a split wrote.
    virtual void RunSplitNotice(const std::vector<std::string>& written);

    // A drag is taken only when it carries local files; the drop is checked then.
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    // Space plays and stops wherever the focus is not on a control that takes it.
    void keyPressEvent(QKeyEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnOpen();
    void OnShredEqually();
    void OnFileInformation();
    void OnAbout();
    void OnStart();
    void OnEnd();
    void OnClear();
    void OnSave();
    void OnPlay();
    void OnStop();
    void OnLegend();
    void OnHScroll(int nCode);
    void OnFileMenuAboutToShow();
    void OnPlaySelection();
    void OnPlayEnd();
    void OnPlayerError() override;
    void OnEndOfStream(int32_t nResult) override;

    // Asks whether to close the open file, and closes it on Yes; true when no
    // file is open any more.
    bool ConfirmClose();
    bool LoadFile(const std::string& strPath);
    void RememberFolder(const std::string& strPath);
    std::string LastFolder() const;
    void RememberRecentFile(const std::string& strPath);
    void FillRecentMenu();
    void RestorePosition();

    void CloseAudioFile();
    void SetUpSlider();
    void TakeOverlap();
    // Moves the equal plan's cuts into the pauses the analysis found within
    // nReach frames, waiting for it under a window the user may cancel.
    std::optional<CCutPlan> SnapToPauses(const CCutPlan& plan, uint64_t nReach);
    void UpdateSelection();
    void EndSelection();
    void StopPlayback();
    void ResetPlayback();
    void SeekPlayback();
    double ThumbSeconds() const;
    void SetPlayButtons(bool bPlaying);
    // Runs a step of a command; a file error it throws (a full disk, a folder
    // that went away) is shown with the system's text. False when it threw.
    bool RunGuarded(const std::function<void()>& step);

    // The sound's picture, the clock and the exact marks.
    void StartAnalysis(const std::string& strPath);
    void OnAnalysisTimer();
    void PaintOverview(QPainter& painter, const QRect& rcLine);
    void ApplyExactCuts(bool bExact);
    bool HasFrames();
    uint64_t ThumbFrame();
    double SecondsOf(uint64_t nFrame) const;
    std::optional<std::pair<double, double>> SelectionSeconds() const;
    void Refresh();
    void RefreshZoom();
    void ShowMarkButtons();
    void CommitMark(QLineEdit* pEdit);
    void SetMark(bool bFrom, uint64_t nFrame);
    void Nudge(double dSeconds);
    void PlaySpan(double dFrom, double dTo);
    std::string Clock(double dSeconds) const;
    void ShowMessage(const std::string& strText, const char* pszCaption, EMsgIcon icon);

    std::unique_ptr<Ui::MainDlg> m_pUi;
    CServices m_services;
    CQtWnd m_wnd;
    CTrackBar* m_pSlider;
    QTimer m_timer;

    std::unique_ptr<CAudioFile> m_pAudioFile;
    EPlayState m_ePlayState = EPlayState::Idle;
    uint32_t m_nSecsPerStep = 1;
    uint32_t m_nOverlap = 0;
    bool m_bOverlapCustomized = false;
    int32_t m_nAnchor = -1;
    FolderOpener m_folderOpener;

    std::unique_ptr<CSoundAnalysis> m_pAnalysis;
    std::vector<SSilence> m_silences; // found once the analysis is done
    QTimer m_analysisTimer;
    CZoomView* m_pZoom = nullptr;
    bool m_bExact = false;
    // The file's frame rate and frames, asked once a file when first needed
    // (an MP3 file walks its frames for them).
    std::optional<std::pair<uint32_t, uint64_t>> m_frames;
    // The exact marks while a selection stands; bPlacingFrom says which one
    // the keys, the zoomed view and the played end go by.
    bool m_bMarks = false;
    uint64_t m_nMarkFrom = 0;
    uint64_t m_nMarkTo = 0;
    bool m_bPlacingFrom = false;
    double m_dStopAt = -1.0; // where playing stops by itself; negative: at the end
    std::vector<QAction*> m_nudgeActions;
};
