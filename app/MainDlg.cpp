#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/RecentFiles.h"
#include "app/Waveform.h"
#include "app/ZoomView.h"
#include "audio/AudioFile.h"
#include "audio/AudioUi.h"
#include "audio/CutTime.h"
#include "audio/OpenAudioFile.h"
#include "platform/File.h"
#include "platform/FileDialogs.h"
#include "platform/FormatText.h"
#include "platform/Settings.h"
#include "platform/ui/KeyFilter.h"
#include "platform/ui/TrackBar.h"
#include "res/Messages.h"
#include "split/OverlapSetting.h"
#include "split/Silences.h"
#include "split/ui/OverlapDlg.h"
#include "ui_MainDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QThread>
#include <QPainter>
#include <QGuiApplication>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

constexpr const char* kCaption = "Tolvane";

// The names of the values kept between runs.
constexpr const char* kRecentFilesKey = "Recent files";
constexpr const char* kLastFolderKey = "Last folder";
constexpr const char* kWindowPositionKey = "Window position";

// The file name, or the whole path when it has none ("/tmp/x.wav/").
std::string NameOf(const std::string& strPath)
{
    const std::string strName = std::filesystem::path(strPath).filename().string();
    return strName.empty() ? strPath : strName;
}

// Why the path cannot be opened as an audio file before it is even read: a
// folder, or a name that is neither WAV nor MP3 by the Open command's rule.
std::optional<std::string> KindRefusal(const std::string& strPath)
{
    std::error_code error;
    if (std::filesystem::is_directory(strPath, error))
        return FormatText(kFolderNotAudioFormat, NameOf(strPath).c_str());
    if (AudioKindFromChosenPath(strPath) == EAudioKind::Unknown)
        return FormatText(kNotAudioKindFormat, NameOf(strPath).c_str());
    return std::nullopt;
}

// The steps a time line can have, each with the longest whole-second playing
// time it is chosen for.
constexpr struct {
    uint32_t nUpToSecs;
    uint32_t nSecsPerStep;
} kSteps[] = {{50, 1}, {100, 3}, {200, 10}, {500, 30}, {1000, 60}, {UINT32_MAX, 300}};

// Whole seconds, held at the ends for a value that is no number, negative
// or past 32 bits.
uint32_t WholeSeconds(double dSeconds)
{
    return !(dSeconds > 0) ? 0 : dSeconds >= double(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(dSeconds);
}

// The overlap the audio file counts in: signed seconds.
int32_t ToFileOverlap(uint32_t nOverlap) { return static_cast<int32_t>(std::min<uint32_t>(nOverlap, INT32_MAX)); }

// Why a drop cannot be opened; empty when it is one WAV or MP3 file here.
std::string DropRefusal(const QList<QUrl>& urls)
{
    const auto shown = [](const QUrl& url) {
        return url.isLocalFile() ? url.toLocalFile().toStdString() : url.toDisplayString().toStdString();
    };
    if (urls.size() != 1) {
        std::vector<std::string> names;
        for (const QUrl& url : urls)
            names.push_back(shown(url));
        return TextWithNames(kDropSeveralText, names);
    }
    // Only a drag with a local file is taken; this guards a drop that comes without its drag.
    if (!urls.front().isLocalFile())
        return FormatText(kDropNotLocalFormat, shown(urls.front()).c_str());
    return KindRefusal(shown(urls.front())).value_or("");
}

// The nudges of the mark being placed: Alt with the arrows by 10 ms, with
// Shift too by 100 ms, with Ctrl too by a second; Alt with Page Up and Page
// Down also by a second, for desktops that keep Ctrl+Alt+arrows for
// themselves.
constexpr struct {
    QKeyCombination key;
    double dSeconds;
} kNudges[] = {{Qt::ALT | Qt::Key_Left, -0.01},
               {Qt::ALT | Qt::Key_Right, 0.01},
               {Qt::ALT | Qt::SHIFT | Qt::Key_Left, -0.1},
               {Qt::ALT | Qt::SHIFT | Qt::Key_Right, 0.1},
               {Qt::ALT | Qt::CTRL | Qt::Key_Left, -1.0},
               {Qt::ALT | Qt::CTRL | Qt::Key_Right, 1.0},
               {Qt::ALT | Qt::Key_PageUp, -1.0},
               {Qt::ALT | Qt::Key_PageDown, 1.0}};

// How often the time line is painted again while the sound is analysed.
constexpr int kAnalysisRepaintPeriod = 100;

} // namespace

std::string ClockText(double dThumb, std::optional<std::pair<double, double>> selection, double dLength)
{
    const bool bHours = dLength >= 3600.0;
    const auto clock = [bHours](double dSeconds) { return FormatCutTime(dSeconds, bHours); };
    if (!selection)
        return FormatText(kClockNoSelectionFormat, clock(dThumb).c_str(), clock(dLength).c_str());
    const double dFrom = std::min(selection->first, selection->second);
    const double dTo = std::max(selection->first, selection->second);
    return FormatText(kClockFormat, clock(dThumb).c_str(), clock(dFrom).c_str(), clock(dTo).c_str(),
                      clock(dTo - dFrom).c_str(), clock(dLength).c_str());
}

CSliderScale SliderScaleFor(double dDuration)
{
    const uint32_t nSecs = WholeSeconds(std::ceil(dDuration));
    for (const auto& step : kSteps) {
        if (nSecs <= step.nUpToSecs) {
            const uint64_t nMax = (uint64_t{nSecs} + step.nSecsPerStep - 1) / step.nSecsPerStep;
            return {step.nSecsPerStep, static_cast<uint32_t>(nMax)};
        }
    }
    return {};
}

CMainDlg::CMainDlg(const CServices& services, QWidget* pParent)
    : QDialog(pParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_pUi(std::make_unique<Ui::MainDlg>()), m_services(services), m_wnd(this)
{
    m_pUi->setupUi(this);
    layout()->setMenuBar(m_pUi->menuBar);
    CKeyFilter::SwallowEnterAndEscape(this);
    m_pSlider = m_pUi->slider;
    // The time line is as wide as about 86 average characters of the font.
    m_pSlider->setMinimumWidth(m_pSlider->fontMetrics().averageCharWidth() * 86);
    // Tall enough to show the sound behind the channel.
    m_pSlider->setMinimumHeight(m_pSlider->fontMetrics().height() * 4);
    m_pSlider->SetBackdrop([this](QPainter& painter, const QRect& rcLine) { PaintOverview(painter, rcLine); });
    connect(m_pSlider, &QAbstractSlider::valueChanged, this, &CMainDlg::Refresh);
    m_pSlider->installEventFilter(this); // for Space, which the group box around it would take

    m_pZoom = new CZoomView(m_pUi->exactPanel);
    m_pUi->exactLayout->insertWidget(0, m_pZoom);
    connect(m_pZoom, &CZoomView::Picked, this, [this](uint64_t nFrame) {
        if (m_bMarks)
            SetMark(m_bPlacingFrom, nFrame);
    });
    for (QLineEdit* pEdit : {m_pUi->markFromEdit, m_pUi->markToEdit}) {
        CKeyFilter::LetEnterThrough(pEdit);
        pEdit->installEventFilter(this);
        connect(pEdit, &QLineEdit::editingFinished, this, [this, pEdit] { CommitMark(pEdit); });
    }
    for (const auto& nudge : kNudges) {
        auto* pAction = new QAction(this);
        pAction->setShortcut(QKeySequence(nudge.key));
        pAction->setEnabled(false);
        addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, dSeconds = nudge.dSeconds] { Nudge(dSeconds); });
        m_nudgeActions.push_back(pAction);
    }
    m_analysisTimer.setInterval(kAnalysisRepaintPeriod);
    connect(&m_analysisTimer, &QTimer::timeout, this, &CMainDlg::OnAnalysisTimer);

    // Every command runs guarded: a file error it throws is shown, not lost.
    using Handler = void (CMainDlg::*)();
    const auto guarded = [this](Handler handler) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    for (auto [pAction, handler] : {std::pair<QAction*, Handler>{m_pUi->actionOpen, &CMainDlg::OnOpen},
                                    {m_pUi->actionShred, &CMainDlg::OnShredEqually},
                                    {m_pUi->actionCustomize, &CMainDlg::Customize},
                                    {m_pUi->actionInfo, &CMainDlg::OnFileInformation},
                                    {m_pUi->actionAbout, &CMainDlg::OnAbout},
                                    {m_pUi->actionPlaySelection, &CMainDlg::OnPlaySelection},
                                    {m_pUi->actionPlayEnd, &CMainDlg::OnPlayEnd}})
        connect(pAction, &QAction::triggered, this, guarded(handler));
    for (auto [pButton, handler] : {std::pair<QPushButton*, Handler>{m_pUi->startButton, &CMainDlg::OnStart},
                                    {m_pUi->endButton, &CMainDlg::OnEnd},
                                    {m_pUi->saveButton, &CMainDlg::OnSave},
                                    {m_pUi->clearButton, &CMainDlg::OnClear},
                                    {m_pUi->legendButton, &CMainDlg::OnLegend},
                                    {m_pUi->playButton, &CMainDlg::OnPlay},
                                    {m_pUi->stopButton, &CMainDlg::OnStop}})
        connect(pButton, &QPushButton::clicked, this, guarded(handler));
    connect(m_pUi->actionExit, &QAction::triggered, this, &QDialog::reject);
    connect(m_pUi->actionPlayStop, &QAction::triggered, this, [this] {
        RunGuarded([this] { m_ePlayState == EPlayState::Playing ? OnStop() : OnPlay(); });
    });
    // Help Topics has no help to show.
    connect(m_pUi->menuFile, &QMenu::aboutToShow, this, &CMainDlg::OnFileMenuAboutToShow);
    connect(m_pSlider, &CTrackBar::Scrolled, this, &CMainDlg::OnHScroll);

    m_timer.setInterval(kTimerPeriod);
    connect(&m_timer, &QTimer::timeout, this, &CMainDlg::OnTimer);
    m_services.player.SetEvents(this);

    setAcceptDrops(true);
    m_folderOpener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    RestorePosition();
    Refresh();
}

CMainDlg::~CMainDlg()
{
    m_services.player.SetEvents(nullptr);
    // A mark field that loses the focus while the window goes away finishes
    // its editing: by then this window is no longer whole to take it.
    for (QLineEdit* pEdit : {m_pUi->markFromEdit, m_pUi->markToEdit})
        disconnect(pEdit, nullptr, this, nullptr);
    m_pZoom->disconnect(this);
}

std::string CMainDlg::GetFileFilter() const
{
    return m_pAudioFile ? m_pAudioFile->GetFilter() : std::string();
}

uint32_t CMainDlg::RunCustomizeDialog(uint32_t nOverlap, bool bUseValue)
{
    // Over the Shred Equally dialog when its overlap check asks for it.
    QWidget* pOwner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    COverlapDlg dlg(nOverlap, bUseValue, m_services.settings, m_services.ui, pOwner);
    dlg.exec();
    return dlg.GetOverlap();
}

void CMainDlg::RunAboutDialog()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

void CMainDlg::RunSplitNotice(const std::vector<std::string>& written)
{
    CSplitNotice notice(written, m_folderOpener, this);
    notice.exec();
}

bool CMainDlg::RunGuarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const CFileException& e) {
        // The system's reason, after the file it is about.
        ShowMessage(e.GetPath().empty() ? e.what() : e.GetPath() + ": " + e.what(), "Error", EMsgIcon::Stop);
    } catch (const std::exception& e) {
        ShowMessage(e.what(), "Error", EMsgIcon::Stop);
    }
    return false;
}

void CMainDlg::ShowMessage(const std::string& strText, const char* pszCaption, EMsgIcon icon)
{
    m_services.ui.MessageBox(&m_wnd, strText, pszCaption, icon, EMsgButtons::Ok);
}

// Shred Equally, File information and Customize need an open file; Open and
// Exit are always there.
void CMainDlg::OnFileMenuAboutToShow()
{
    const bool bOpen = m_pAudioFile != nullptr;
    for (QAction* pAction : {m_pUi->actionShred, m_pUi->actionInfo, m_pUi->actionCustomize})
        pAction->setEnabled(bOpen);
    FillRecentMenu();
}

void CMainDlg::OnAbout()
{
    RunAboutDialog();
}

// ---- Opening a file -------------------------------------------------------

void CMainDlg::OnOpen()
{
    if (!ConfirmClose())
        return;
    const CFileDialogArgs args{.strTitle = "Open",
                               .strFilter = kOpenFilter,
                               .strDefaultExt = "",
                               .strInitialName = "",
                               .strInitialFolder = LastFolder()};
    const std::optional<std::string> strPath = m_services.files.OpenFile(&m_wnd, args);
    if (!strPath)
        return;
    RememberFolder(*strPath);
    LoadFile(*strPath);
}

bool CMainDlg::OpenPath(const std::string& strPath)
{
    bool bOpened = false;
    RunGuarded([&] { bOpened = ConfirmClose() && LoadFile(strPath); });
    return bOpened;
}

bool CMainDlg::ConfirmClose()
{
    if (!m_pAudioFile)
        return true;
    const std::string strQuestion = FormatText(kReopenQuestionFormat, m_pAudioFile->GetFileName().c_str());
    if (m_services.ui.MessageBox(&m_wnd, strQuestion, kReopenCaption, EMsgIcon::Exclamation, EMsgButtons::YesNo) !=
        EMsgAnswer::Yes)
        return false;
    ResetPlayback();
    CloseAudioFile();
    return true;
}

bool CMainDlg::LoadFile(const std::string& strPath)
{
    if (const std::optional<std::string> strRefusal = KindRefusal(strPath)) {
        ShowMessage(*strRefusal, "Error", EMsgIcon::Exclamation);
        return false;
    }
    // The path is opened exactly as chosen; only its file name decides the kind.
    std::unique_ptr<CAudioFile> pFile =
        OpenAudioFile(AudioKindFromChosenPath(strPath), strPath, &m_wnd, m_services.ui);
    if (pFile && pFile->ReportError(&m_wnd) != kStatusOk)
        pFile.reset();
    m_pAudioFile = std::move(pFile);
    if (!m_pAudioFile)
        return false;

    SetUpSlider();
    TakeOverlap();
    RememberRecentFile(strPath);
    StartAnalysis(strPath);
    Refresh();
    // The time line takes the keys at once: the arrows move the thumb.
    m_pSlider->setFocus(Qt::OtherFocusReason);
    return true;
}

// ---- Dropped files --------------------------------------------------------

void CMainDlg::dragEnterEvent(QDragEnterEvent* pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        pEvent->acceptProposedAction();
}

// The drop is answered at once and opened afterwards, so that the program the
// file was dragged from does not wait for the message boxes.
void CMainDlg::dropEvent(QDropEvent* pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    std::string strRefusal = DropRefusal(urls);
    if (strRefusal.empty())
        pEvent->acceptProposedAction();
    else
        pEvent->ignore();
    const std::string strPath = strRefusal.empty() ? urls.front().toLocalFile().toStdString() : std::string();
    QMetaObject::invokeMethod(
        this,
        [this, strPath, strRefusal = std::move(strRefusal)] {
            if (!strRefusal.empty())
                ShowMessage(strRefusal, "Error", EMsgIcon::Exclamation);
            else
                OpenPath(strPath);
        },
        Qt::QueuedConnection);
}

// ---- What is kept between runs --------------------------------------------

void CMainDlg::RememberFolder(const std::string& strPath)
{
    m_services.settings.SetString(kLastFolderKey, std::filesystem::path(strPath).parent_path().string());
}

std::string CMainDlg::LastFolder() const
{
    return m_services.settings.GetString(kLastFolderKey).value_or("");
}

void CMainDlg::RememberRecentFile(const std::string& strPath)
{
    m_services.settings.SetStringList(kRecentFilesKey,
                                      WithRecentFile(m_services.settings.GetStringList(kRecentFilesKey), strPath));
}

// The stored list, without the files that are gone; each entry opens its file
// as File > Open does.
void CMainDlg::FillRecentMenu()
{
    std::vector<std::string> files = m_services.settings.GetStringList(kRecentFilesKey);
    const size_t nStored = files.size();
    std::erase_if(files, [](const std::string& strPath) {
        std::error_code error;
        return !std::filesystem::is_regular_file(strPath, error);
    });
    if (files.size() > kMaxRecentFiles)
        files.resize(kMaxRecentFiles);
    if (files.size() != nStored)
        m_services.settings.SetStringList(kRecentFilesKey, files);

    QMenu* pMenu = m_pUi->menuRecent;
    pMenu->clear();
    for (size_t i = 0; i < files.size(); ++i) {
        QAction* pAction = pMenu->addAction(QString::fromStdString(RecentFileMenuText(i, files[i])));
        pAction->setStatusTip(QString::fromStdString(files[i]));
        pAction->setToolTip(pAction->statusTip());
        connect(pAction, &QAction::triggered, this,
                [this, strPath = files[i]] { OpenPath(strPath); });
    }
    pMenu->menuAction()->setEnabled(!files.empty());
}

// The place of the last run, when it still lies on a screen.
void CMainDlg::RestorePosition()
{
    const QStringList xy = QString::fromStdString(m_services.settings.GetString(kWindowPositionKey).value_or(""))
                               .split(QLatin1Char(','));
    bool bX = false, bY = false;
    const QPoint pos = xy.size() == 2 ? QPoint(xy[0].toInt(&bX), xy[1].toInt(&bY)) : QPoint();
    if (bX && bY && QGuiApplication::screenAt(pos))
        move(pos);
}

void CMainDlg::done(int nResult)
{
    m_services.settings.SetString(kWindowPositionKey,
                                  std::to_string(pos().x()) + "," + std::to_string(pos().y()));
    QDialog::done(nResult);
}

void CMainDlg::CloseAudioFile()
{
    m_analysisTimer.stop();
    m_pAnalysis.reset();
    m_pAudioFile.reset();
    m_frames.reset();
    m_bMarks = false;
    m_dStopAt = -1.0;
    ApplyExactCuts(false);
    m_pSlider->SetPos(m_pSlider->GetRangeMin());
    m_pSlider->ClearSel();
    m_pSlider->setEnabled(false);
    for (QPushButton* pButton : {m_pUi->startButton, m_pUi->endButton, m_pUi->saveButton, m_pUi->clearButton,
                                 m_pUi->legendButton, m_pUi->playButton, m_pUi->stopButton})
        pButton->setEnabled(false);
    m_nAnchor = -1;
    setWindowTitle(QString::fromUtf8(kCaption));
    Refresh();
}

void CMainDlg::SetUpSlider()
{
    const CSliderScale scale = SliderScaleFor(m_pAudioFile->GetDuration());
    m_nSecsPerStep = scale.nSecsPerStep;
    m_pSlider->setEnabled(true);
    m_pSlider->SetRangeMin(0);
    m_pSlider->SetRangeMax(static_cast<int>(std::min<uint32_t>(scale.nMax, INT_MAX)));
    m_pSlider->SetValueScale({.dPerPosition = double(m_nSecsPerStep),
                              .dMax = m_pAudioFile->GetDuration(),
                              .text = [this](double dSeconds) { return QString::fromStdString(Clock(dSeconds)); }});
    for (QPushButton* pButton : {m_pUi->startButton, m_pUi->legendButton, m_pUi->playButton})
        pButton->setEnabled(true);
    setWindowTitle(QString::fromUtf8(kCaption) + QStringLiteral(" - ") +
                   QString::fromStdString(m_pAudioFile->GetFilePath()));
}

// The stored overlap time, read afresh at each open, until the user chose one
// with Customize: from then on that one holds for the rest of the run.
void CMainDlg::TakeOverlap()
{
    if (!m_bOverlapCustomized)
        m_nOverlap = ReadOverlap(m_services.settings);
    m_pAudioFile->SetOverlapTime(ToFileOverlap(m_nOverlap));
    m_pAudioFile->SetExactCuts(ReadExactCuts(m_services.settings));
    ApplyExactCuts(ReadExactCuts(m_services.settings));
    m_pAudioFile->SetPauseSnapper(
        [this](const CCutPlan& plan, uint64_t nReach) { return SnapToPauses(plan, nReach); });
}

std::optional<CCutPlan> CMainDlg::SnapToPauses(const CCutPlan& plan, uint64_t nReach)
{
    std::vector<SSilence> silences;
    if (m_pAnalysis) {
        if (!m_pAnalysis->IsDone()) {
            QProgressDialog progress(QString::fromUtf8(kFindingPausesText), tr("&Cancel"), 0, 1000, this);
            progress.setWindowModality(Qt::ApplicationModal);
            progress.setMinimumDuration(0);
            while (!m_pAnalysis->IsDone()) {
                progress.setValue(static_cast<int>(m_pAnalysis->GetProgress() * 1000));
                QApplication::processEvents(QEventLoop::AllEvents, 20);
                if (progress.wasCanceled())
                    return std::nullopt;
                QThread::msleep(20);
            }
        }
        silences = SilencesOf(*m_pAnalysis, m_pAudioFile->GetTotalFrames());
    }
    const uint32_t nRate = m_pAudioFile->GetFrameRate();
    std::vector<uint64_t> missed;
    CCutPlan snapped = SnapToSilences(plan, silences, nRate, nReach, &missed);
    if (!missed.empty() && nRate > 0) {
        std::string strCuts;
        for (const uint64_t nCut : missed)
            strCuts += "\n" + FormatCutTime(static_cast<double>(nCut) / nRate);
        m_services.ui.MessageBox(&m_wnd,
                                 FormatText(kNoPauseFormat, FormatCutTime(static_cast<double>(nReach) / nRate).c_str(),
                                            strCuts.c_str()),
                                 kPausesCaption, EMsgIcon::Information, EMsgButtons::Ok);
    }
    return snapped;
}

// ---- Selection and saving -------------------------------------------------

void CMainDlg::OnStart()
{
    if (!m_pAudioFile)
        return;
    m_pUi->startButton->setEnabled(false);
    m_pUi->endButton->setEnabled(true);
    m_pUi->clearButton->setEnabled(true);
    m_nAnchor = m_pSlider->GetPos();
    m_pSlider->SetTic(m_nAnchor);
    m_pSlider->ClearSel();
    if (m_bExact) {
        m_nMarkFrom = m_nMarkTo = ThumbFrame();
        m_bMarks = true;
        m_bPlacingFrom = true;
    }
    Refresh();
}

void CMainDlg::OnEnd()
{
    if (!m_pAudioFile)
        return;
    const bool bEmpty = m_bExact ? !m_bMarks || m_nMarkFrom == m_nMarkTo
                                 : m_pSlider->GetSelStart() == m_pSlider->GetSelEnd();
    if (bEmpty) {
        ShowMessage(kNoSelectionText, "Error", EMsgIcon::Exclamation);
        return;
    }
    m_nAnchor = -1;
    m_pUi->endButton->setEnabled(false);
    m_pUi->saveButton->setEnabled(true);
    Refresh();
}

void CMainDlg::OnClear()
{
    if (m_pAudioFile)
        EndSelection();
}

// Back to no selection: only Start of the four selection buttons is left.
void CMainDlg::EndSelection()
{
    m_pUi->startButton->setEnabled(true);
    for (QPushButton* pButton : {m_pUi->endButton, m_pUi->saveButton, m_pUi->clearButton})
        pButton->setEnabled(false);
    m_pSlider->ClearSel();
    m_nAnchor = -1;
    m_bMarks = false;
    Refresh();
}

// While a selection is being marked, it runs from the anchor to the thumb.
void CMainDlg::UpdateSelection()
{
    if (m_nAnchor < 0)
        return;
    m_pSlider->SetSelStart(m_nAnchor);
    m_pSlider->SetSelEnd(m_pSlider->GetPos());
    m_pSlider->SetTic(m_pSlider->GetPos());
    if (m_bExact && m_bMarks) {
        m_nMarkTo = ThumbFrame();
        m_bPlacingFrom = false;
    }
    Refresh();
}

void CMainDlg::OnSave()
{
    if (!m_pAudioFile)
        return;
    StopPlayback();
    const CFileDialogArgs args{.strTitle = "Save As",
                               .strFilter = m_pAudioFile->GetFilter(),
                               .strDefaultExt = m_pAudioFile->GetDefaultExt(),
                               .strInitialName = "",
                               .strInitialFolder = LastFolder()};
    const std::optional<std::string> strPath = m_services.files.SaveFile(&m_wnd, args);
    if (!strPath)
        return;
    RememberFolder(*strPath);

    // A selection marked leftwards holds its start after its end; the writers
    // take the earlier position first.
    const int nStart = std::min(m_pSlider->GetSelStart(), m_pSlider->GetSelEnd());
    const int nEnd = std::max(m_pSlider->GetSelStart(), m_pSlider->GetSelEnd());
    int32_t nStatus = kStatusOk;
    const bool bDone = RunGuarded([&] {
        if (m_bExact && m_bMarks)
            nStatus = m_pAudioFile->SaveExactSelection(*strPath, m_nMarkFrom, m_nMarkTo);
        else
            nStatus = m_pAudioFile->SaveSelection(*strPath, nStart, nEnd, static_cast<int32_t>(m_nSecsPerStep));
    });
    if (bDone && nStatus == kStatusNoAudio)
        m_pAudioFile->ReportError(&m_wnd);
    else if (bDone && nStatus != kStatusOk)
        ShowMessage(kCannotCreateDestinationText, "Error", EMsgIcon::Exclamation);
    EndSelection();
}

// ---- Commands on the opened file ------------------------------------------

void CMainDlg::OnShredEqually()
{
    if (!m_pAudioFile)
        return;
    StopPlayback();
    // A split that stopped at a fragment it could not create must not look
    // like one that finished.
    const int32_t nStatus = m_pAudioFile->ShredEqually();
    if (nStatus != kStatusOk)
        ShowMessage(kCannotCreateDestinationText, "Error", EMsgIcon::Exclamation);
    const std::vector<std::string>& empty = m_pAudioFile->GetEmptyFragments();
    if (!empty.empty()) {
        std::string strText = kEmptyFragmentsText;
        for (const std::string& strPath : empty)
            strText += "\n" + strPath;
        ShowMessage(strText, "Error", EMsgIcon::Exclamation);
    }
    // A split that finished names the files it wrote; after a cancel the model
    // has named them already.
    const std::vector<std::string> written = m_pAudioFile->GetWrittenFragments();
    if (nStatus == kStatusOk && !m_pAudioFile->WasCancelled() && !written.empty())
        RunSplitNotice(written);
}

void CMainDlg::OnFileInformation()
{
    if (m_pAudioFile)
        m_pAudioFile->ShowFileInformation();
}

// The dialog starts from the stored time until the user has customized it
// once; whichever way it closes, what it leaves becomes the overlap of this
// run (its arrows change the time at once, so even Cancel keeps their steps).
void CMainDlg::Customize()
{
    const uint32_t nOverlap = RunCustomizeDialog(m_nOverlap, m_bOverlapCustomized);
    if (!m_pAudioFile)
        return;
    m_nOverlap = nOverlap;
    m_pAudioFile->SetOverlapTime(ToFileOverlap(m_nOverlap));
    m_bOverlapCustomized = true;
    // The dialog stores "Exact cuts"; the file and the marks follow it at once.
    m_pAudioFile->SetExactCuts(ReadExactCuts(m_services.settings));
    ApplyExactCuts(ReadExactCuts(m_services.settings));
}

// ---- Playback -------------------------------------------------------------

void CMainDlg::SetPlayButtons(bool bPlaying)
{
    m_pUi->playButton->setEnabled(!bPlaying && m_pAudioFile != nullptr);
    m_pUi->stopButton->setEnabled(bPlaying);
}

// Where the thumb stands, in seconds of the file.
double CMainDlg::ThumbSeconds() const
{
    return double(uint32_t(m_pSlider->GetPos()) * m_nSecsPerStep);
}

void CMainDlg::OnPlay()
{
    if (!m_pAudioFile)
        return;
    SetPlayButtons(true);
    if (m_ePlayState == EPlayState::Idle)
        m_services.player.SetFileName(m_pAudioFile->GetFilePath());
    m_dStopAt = -1.0;
    m_timer.setInterval(kTimerPeriod);
    m_timer.start();
    if (m_ePlayState != EPlayState::Stopped)
        m_services.player.SetCurrentPosition(ThumbSeconds());
    m_services.player.Play();
    m_ePlayState = EPlayState::Playing;
}

void CMainDlg::OnStop()
{
    StopPlayback();
}

void CMainDlg::StopPlayback()
{
    if (m_ePlayState == EPlayState::Idle)
        return;
    SetPlayButtons(false);
    m_services.player.Stop();
    m_timer.stop();
    m_dStopAt = -1.0;
    m_ePlayState = EPlayState::Stopped;
}

void CMainDlg::ResetPlayback()
{
    if (m_ePlayState == EPlayState::Idle)
        return;
    SetPlayButtons(false);
    m_timer.stop();
    m_dStopAt = -1.0;
    m_services.player.Pause();
    m_ePlayState = EPlayState::Idle;
}

void CMainDlg::OnLegend()
{
    if (m_pAudioFile)
        ShowMessage(FormatText(kLegendFormat, m_nSecsPerStep), "Legend",
                    EMsgIcon::None);
}

void CMainDlg::OnTimer()
{
    const double dPosition = m_services.player.GetCurrentPosition();
    const uint32_t nSeconds = WholeSeconds(dPosition);
    m_pSlider->SetPos(static_cast<int>(std::min<uint32_t>(nSeconds / m_nSecsPerStep, INT_MAX)));
    UpdateSelection();
    if (m_dStopAt >= 0 && m_ePlayState == EPlayState::Playing && dPosition >= m_dStopAt)
        StopPlayback();
}

// Playback jumps to the thumb and the thumb follows it again from there, to
// the end of the file.
void CMainDlg::SeekPlayback()
{
    m_dStopAt = -1.0;
    m_timer.setInterval(kTimerPeriod);
    m_services.player.SetCurrentPosition(ThumbSeconds());
    m_services.player.Play();
    m_timer.start();
}

void CMainDlg::OnHScroll(int nCode)
{
    const bool bPlaying = m_ePlayState == EPlayState::Playing;
    switch (nCode) {
    case CTrackBar::ThumbTrack:
        // While the thumb is dragged it no longer follows playback.
        if (bPlaying)
            m_timer.stop();
        break;
    case CTrackBar::ThumbPosition:
        if (bPlaying)
            SeekPlayback();
        break;
    case CTrackBar::LineUp:
    case CTrackBar::LineDown:
    case CTrackBar::PageUp:
    case CTrackBar::PageDown:
    case CTrackBar::Top:
    case CTrackBar::Bottom:
        if (bPlaying) {
            m_timer.stop();
            SeekPlayback();
        }
        break;
    default:
        return;
    }
    UpdateSelection();
}

void CMainDlg::OnPlayerError()
{
    ShowMessage(m_services.player.GetErrorDescription(), "Error", EMsgIcon::Stop);
    if (m_ePlayState == EPlayState::Idle)
        return;
    m_timer.stop();
    m_dStopAt = -1.0;
    m_ePlayState = EPlayState::Idle;
    SetPlayButtons(false);
}

void CMainDlg::OnEndOfStream(int32_t)
{
    m_ePlayState = EPlayState::Idle;
    m_timer.stop();
    m_dStopAt = -1.0;
    SetPlayButtons(false);
    m_pSlider->SetPos(m_pSlider->GetRangeMax());
}

// ---- Listening to the selection -------------------------------------------

// Plays from dFrom and stops by itself at dTo; the timer then looks often
// enough to stop within a few hundredths of a second.
void CMainDlg::PlaySpan(double dFrom, double dTo)
{
    SetPlayButtons(true);
    if (m_ePlayState == EPlayState::Idle)
        m_services.player.SetFileName(m_pAudioFile->GetFilePath());
    m_services.player.SetCurrentPosition(dFrom);
    m_services.player.Play();
    m_dStopAt = dTo;
    m_timer.setInterval(kSpanTimerPeriod);
    m_timer.start();
    m_ePlayState = EPlayState::Playing;
}

void CMainDlg::OnPlaySelection()
{
    const std::optional<std::pair<double, double>> selection = SelectionSeconds();
    if (!m_pAudioFile || !selection || selection->second <= selection->first) {
        ShowMessage(kNoSelectionText, "Error", EMsgIcon::Exclamation);
        return;
    }
    PlaySpan(selection->first, selection->second);
}

// The last seconds before the end of the selection, to hear where it cuts.
void CMainDlg::OnPlayEnd()
{
    const std::optional<std::pair<double, double>> selection = SelectionSeconds();
    if (!m_pAudioFile || !selection || selection->second <= selection->first) {
        ShowMessage(kNoSelectionText, "Error", EMsgIcon::Exclamation);
        return;
    }
    PlaySpan(std::max(0.0, selection->second - kPlayEndSeconds), selection->second);
}

void CMainDlg::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Space && pEvent->modifiers() == Qt::NoModifier && m_pAudioFile) {
        RunGuarded([this] { m_ePlayState == EPlayState::Playing ? OnStop() : OnPlay(); });
        pEvent->accept();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

// Return in a mark's field takes the time typed there, and goes no further;
// Space on the time line plays or stops.
bool CMainDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() != QEvent::KeyPress)
        return QDialog::eventFilter(pWatched, pEvent);
    auto* pKey = static_cast<QKeyEvent*>(pEvent);
    if ((pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) &&
        (pWatched == m_pUi->markFromEdit || pWatched == m_pUi->markToEdit)) {
        CommitMark(static_cast<QLineEdit*>(pWatched));
        return true;
    }
    if (pWatched == m_pSlider && pKey->key() == Qt::Key_Space && pKey->modifiers() == Qt::NoModifier) {
        keyPressEvent(pKey);
        return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

// ---- The sound's picture, the clock and the exact marks -------------------

std::string CMainDlg::Clock(double dSeconds) const
{
    return FormatCutTime(dSeconds, m_pAudioFile && m_pAudioFile->GetDuration() >= 3600.0);
}

// The last analysis is dropped (its worker stopped) before the next starts.
void CMainDlg::StartAnalysis(const std::string& strPath)
{
    m_analysisTimer.stop();
    m_pAnalysis.reset();
    m_silences.clear();
    if (m_services.sound.start)
        m_pAnalysis = m_services.sound.start(strPath);
    if (m_pAnalysis && !m_pAnalysis->IsDone())
        m_analysisTimer.start();
    else if (m_pAnalysis)
        m_silences = SilencesOf(*m_pAnalysis, m_pAnalysis->GetTotalFrames());
    m_pZoom->SetStretch(0, 0, {});
    m_pSlider->update();
}

void CMainDlg::OnAnalysisTimer()
{
    m_pSlider->update();
    if (!m_pAnalysis || m_pAnalysis->IsDone())
        m_analysisTimer.stop();
    // The pauses the analysis found are marked once it has read everything.
    if (m_pAnalysis && m_pAnalysis->IsDone() && m_silences.empty())
        m_silences = SilencesOf(*m_pAnalysis, m_pAnalysis->GetTotalFrames());
}

// The time line spans its last position's seconds, which may reach past the
// file's end: the peaks fill the share the file covers, a pixel a column.
void CMainDlg::PaintOverview(QPainter& painter, const QRect& rcLine)
{
    if (!m_pAudioFile)
        return;
    const double dLine = double(m_pSlider->GetRangeMax()) * m_nSecsPerStep;
    const double dLength = m_pAudioFile->GetDuration();
    if (!(dLine > 0) || !(dLength > 0))
        return;
    const int nColumns = static_cast<int>(std::lround(rcLine.width() * std::min(1.0, dLength / dLine)));
    std::vector<SPeak> peaks;
    if (m_pAnalysis && m_pAnalysis->GetTotalFrames() > 0 && nColumns > 0)
        peaks = m_pAnalysis->Overview(0, m_pAnalysis->GetTotalFrames(), static_cast<size_t>(nColumns));
    PaintPeaks(painter, QRect(rcLine.left(), rcLine.top(), nColumns, rcLine.height()), peaks, palette());
    // The pauses as bands of the highlight colour, faint enough to leave the peaks seen.
    const uint64_t nTotal = m_pAnalysis ? m_pAnalysis->GetTotalFrames() : 0;
    if (nTotal == 0)
        return;
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(60);
    for (const SSilence& silence : m_silences) {
        const int x0 = rcLine.left() + static_cast<int>(silence.nFrom * static_cast<uint64_t>(nColumns) / nTotal);
        const int x1 = rcLine.left() + static_cast<int>(silence.nTo * static_cast<uint64_t>(nColumns) / nTotal);
        painter.fillRect(QRect(x0, rcLine.top(), std::max(1, x1 - x0), rcLine.height()), band);
    }
}

// Exact marks need the file's frames; a file that cannot give them keeps the
// whole-second selection.
void CMainDlg::ApplyExactCuts(bool bExact)
{
    const bool bWas = m_bExact;
    m_bExact = bExact && m_pAudioFile && HasFrames();
    m_pUi->exactPanel->setVisible(m_bExact);
    for (QAction* pAction : m_nudgeActions)
        pAction->setEnabled(m_bExact);
    // A selection is marked afresh in the other mode.
    if (m_pAudioFile && bWas != m_bExact)
        EndSelection();
    if (m_bExact) {
        layout()->activate();
        RefreshZoom();
    }
}

bool CMainDlg::HasFrames()
{
    if (!m_pAudioFile)
        return false;
    if (!m_frames)
        m_frames = std::pair(m_pAudioFile->GetFrameRate(), m_pAudioFile->GetTotalFrames());
    return m_frames->first > 0;
}

// The frame where the thumb stands, held at the end of the audio.
uint64_t CMainDlg::ThumbFrame()
{
    if (!HasFrames())
        return 0;
    const uint64_t nFrame = uint64_t(uint32_t(m_pSlider->GetPos())) * m_nSecsPerStep * m_frames->first;
    return std::min(nFrame, m_frames->second);
}

double CMainDlg::SecondsOf(uint64_t nFrame) const
{
    return m_frames && m_frames->first > 0 ? double(nFrame) / m_frames->first : 0.0;
}

std::optional<std::pair<uint64_t, uint64_t>> CMainDlg::GetMarks() const
{
    if (!m_bExact || !m_bMarks)
        return std::nullopt;
    return std::pair(m_nMarkFrom, m_nMarkTo);
}

// The selection in seconds, earlier end first: the exact marks, or the
// positions (while marking, from the anchor to the thumb), held at the end.
std::optional<std::pair<double, double>> CMainDlg::SelectionSeconds() const
{
    if (!m_pAudioFile)
        return std::nullopt;
    if (m_bExact) {
        if (!m_bMarks)
            return std::nullopt;
        return std::pair(SecondsOf(std::min(m_nMarkFrom, m_nMarkTo)), SecondsOf(std::max(m_nMarkFrom, m_nMarkTo)));
    }
    int nFrom = m_pSlider->GetSelStart(), nTo = m_pSlider->GetSelEnd();
    if (m_nAnchor >= 0) {
        nFrom = m_nAnchor;
        nTo = m_pSlider->GetPos();
    } else if (nFrom == nTo) {
        return std::nullopt;
    }
    const double dLength = m_pAudioFile->GetDuration();
    const auto seconds = [&](int nPos) { return std::min(double(uint32_t(nPos)) * m_nSecsPerStep, dLength); };
    return std::pair(seconds(std::min(nFrom, nTo)), seconds(std::max(nFrom, nTo)));
}

// Brings the clock, the marks' fields, the fine selection, the zoomed view and
// the listening commands up to date with the file, the thumb and the marks.
void CMainDlg::Refresh()
{
    const std::optional<std::pair<double, double>> selection = SelectionSeconds();
    for (QAction* pAction : {m_pUi->actionPlaySelection, m_pUi->actionPlayEnd})
        pAction->setEnabled(selection && selection->second > selection->first);
    m_pUi->actionPlayStop->setEnabled(m_pAudioFile != nullptr);
    if (!m_pAudioFile) {
        m_pUi->clockText->clear();
        return;
    }
    const double dLength = m_pAudioFile->GetDuration();
    m_pUi->clockText->setText(
        QString::fromStdString(ClockText(std::min(ThumbSeconds(), dLength), selection, dLength)));
    if (!m_bExact)
        return;
    if (m_bMarks && m_nSecsPerStep > 0)
        m_pSlider->SetFineSel(SecondsOf(m_nMarkFrom) / m_nSecsPerStep, SecondsOf(m_nMarkTo) / m_nSecsPerStep);
    for (const auto& [pEdit, nMark] :
         {std::pair(m_pUi->markFromEdit, m_nMarkFrom), std::pair(m_pUi->markToEdit, m_nMarkTo)}) {
        pEdit->setPlaceholderText(QString::fromStdString(Clock(0)));
        if (!pEdit->isModified())
            pEdit->setText(m_bMarks ? QString::fromStdString(Clock(SecondsOf(nMark))) : QString());
    }
    RefreshZoom();
}

// The zoomed view follows the mark being placed (or the thumb) once it leaves
// the middle of the stretch shown; the stretch is read afresh only then.
void CMainDlg::RefreshZoom()
{
    if (!m_bExact || !HasFrames())
        return;
    const auto [nRate, nTotal] = *m_frames;
    const uint64_t nThumb = ThumbFrame();
    m_pZoom->SetThumb(nThumb);
    m_pZoom->SetMarks(m_bMarks ? std::optional(CZoomView::CMarks{m_nMarkFrom, m_nMarkTo, m_bPlacingFrom})
                               : std::nullopt);
    if (m_pZoom->IsPicking())
        return;
    const uint64_t nCentre = !m_bMarks ? nThumb : m_bPlacingFrom ? m_nMarkFrom : m_nMarkTo;
    const uint64_t nHalf = static_cast<uint64_t>(kZoomSeconds * nRate);
    const uint64_t nWidth = std::min(nTotal, 2 * nHalf);
    const uint64_t nFrom = std::min(nCentre > nHalf ? nCentre - nHalf : 0, nTotal - nWidth);
    const size_t nColumns = static_cast<size_t>(std::max(1, m_pZoom->width()));
    const uint64_t nShownFrom = m_pZoom->GetFrom(), nShownTo = m_pZoom->GetTo();
    const uint64_t nMargin = (nShownTo - nShownFrom) / 5;
    const bool bFits = m_pZoom->GetColumns() == nColumns &&
                       ((nShownFrom == nFrom && nShownTo == nFrom + nWidth) ||
                        (nShownTo > nShownFrom && nCentre >= nShownFrom + nMargin && nCentre <= nShownTo - nMargin));
    if (bFits)
        return;
    std::vector<SPeak> peaks;
    if (m_services.sound.detail && nWidth > 0)
        peaks = m_services.sound.detail(m_pAudioFile->GetFilePath(), nFrom, nFrom + nWidth, nColumns);
    peaks.resize(nColumns); // columns it did not give stay unknown
    m_pZoom->SetStretch(nFrom, nFrom + nWidth, std::move(peaks));
}

// The buttons once the marks stand by themselves (typed, picked or nudged,
// not following the thumb): Save while they hold something, Clear to start
// again.
void CMainDlg::ShowMarkButtons()
{
    m_pUi->startButton->setEnabled(false);
    m_pUi->endButton->setEnabled(false);
    m_pUi->saveButton->setEnabled(m_nMarkFrom != m_nMarkTo);
    m_pUi->clearButton->setEnabled(true);
}

// Puts a mark on a frame; the first mark of a selection puts both there.
void CMainDlg::SetMark(bool bFrom, uint64_t nFrame)
{
    if (!HasFrames())
        return;
    nFrame = std::min(nFrame, m_frames->second);
    if (!m_bMarks)
        m_nMarkFrom = m_nMarkTo = nFrame;
    m_bMarks = true;
    (bFrom ? m_nMarkFrom : m_nMarkTo) = nFrame;
    m_bPlacingFrom = bFrom;
    if (m_nAnchor < 0)
        ShowMarkButtons();
    Refresh();
}

void CMainDlg::Nudge(double dSeconds)
{
    if (!m_bMarks || !HasFrames())
        return;
    const uint64_t nStep = static_cast<uint64_t>(std::llround(std::fabs(dSeconds) * m_frames->first));
    const uint64_t nMark = m_bPlacingFrom ? m_nMarkFrom : m_nMarkTo;
    SetMark(m_bPlacingFrom, dSeconds < 0 ? nMark - std::min(nMark, nStep) : nMark + nStep);
}

// A time typed in a mark's field: taken when it names a frame of the audio,
// else refused with a message and the mark left as it was. Typing stops the
// end from following the thumb.
void CMainDlg::CommitMark(QLineEdit* pEdit)
{
    if (!pEdit->isModified() || !m_bExact || !HasFrames())
        return;
    const bool bFrom = pEdit == m_pUi->markFromEdit;
    const std::string strText = pEdit->text().trimmed().toStdString();
    const uint64_t nMark = bFrom ? m_nMarkFrom : m_nMarkTo;
    const auto restore = [&] {
        pEdit->setText(m_bMarks ? QString::fromStdString(Clock(SecondsOf(nMark))) : QString());
        pEdit->setModified(false);
    };
    if (strText.empty()) {
        restore();
        return;
    }
    std::string strError;
    const std::optional<CCutTime> time = ParseCutTime(strText, strError);
    const auto [nRate, nTotal] = *m_frames;
    if (!time || time->ToFrames(nRate) > nTotal) {
        restore();
        ShowMessage(!time ? FormatText(kMarkNotATimeFormat, strText.c_str())
                          : FormatText(kMarkPastEndFormat, strText.c_str(), Clock(SecondsOf(nTotal)).c_str()),
                    "Error", EMsgIcon::Exclamation);
        return;
    }
    pEdit->setModified(false);
    m_nAnchor = -1;
    SetMark(bFrom, time->ToFrames(nRate));
}
