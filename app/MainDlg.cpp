#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/RecentFiles.h"
#include "audio/AudioFile.h"
#include "audio/AudioUi.h"
#include "audio/OpenAudioFile.h"
#include "platform/File.h"
#include "platform/FileDialogs.h"
#include "platform/FormatText.h"
#include "platform/Settings.h"
#include "platform/ui/KeyFilter.h"
#include "platform/ui/TrackBar.h"
#include "res/Messages.h"
#include "split/OverlapSetting.h"
#include "split/ui/OverlapDlg.h"
#include "ui_MainDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
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

} // namespace

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

    // Every command runs guarded: a file error it throws is shown, not lost.
    using Handler = void (CMainDlg::*)();
    const auto guarded = [this](Handler handler) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    for (auto [pAction, handler] : {std::pair<QAction*, Handler>{m_pUi->actionOpen, &CMainDlg::OnOpen},
                                    {m_pUi->actionShred, &CMainDlg::OnShredEqually},
                                    {m_pUi->actionCustomize, &CMainDlg::Customize},
                                    {m_pUi->actionInfo, &CMainDlg::OnFileInformation},
                                    {m_pUi->actionAbout, &CMainDlg::OnAbout}})
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
    // Help Topics has no help to show.
    connect(m_pUi->menuFile, &QMenu::aboutToShow, this, &CMainDlg::OnFileMenuAboutToShow);
    connect(m_pSlider, &CTrackBar::Scrolled, this, &CMainDlg::OnHScroll);

    m_timer.setInterval(kTimerPeriod);
    connect(&m_timer, &QTimer::timeout, this, &CMainDlg::OnTimer);
    m_services.player.SetEvents(this);

    setAcceptDrops(true);
    m_folderOpener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    RestorePosition();
}

CMainDlg::~CMainDlg()
{
    m_services.player.SetEvents(nullptr);
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
    m_pAudioFile.reset();
    m_pSlider->SetPos(m_pSlider->GetRangeMin());
    m_pSlider->ClearSel();
    m_pSlider->setEnabled(false);
    for (QPushButton* pButton : {m_pUi->startButton, m_pUi->endButton, m_pUi->saveButton, m_pUi->clearButton,
                                 m_pUi->legendButton, m_pUi->playButton, m_pUi->stopButton})
        pButton->setEnabled(false);
    m_nAnchor = -1;
    setWindowTitle(QString::fromUtf8(kCaption));
}

void CMainDlg::SetUpSlider()
{
    const CSliderScale scale = SliderScaleFor(m_pAudioFile->GetDuration());
    m_nSecsPerStep = scale.nSecsPerStep;
    m_pSlider->setEnabled(true);
    m_pSlider->SetRangeMin(0);
    m_pSlider->SetRangeMax(static_cast<int>(std::min<uint32_t>(scale.nMax, INT_MAX)));
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
}

void CMainDlg::OnEnd()
{
    if (!m_pAudioFile)
        return;
    if (m_pSlider->GetSelStart() == m_pSlider->GetSelEnd()) {
        ShowMessage(kNoSelectionText, "Error", EMsgIcon::Exclamation);
        return;
    }
    m_nAnchor = -1;
    m_pUi->endButton->setEnabled(false);
    m_pUi->saveButton->setEnabled(true);
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
}

// While a selection is being marked, it runs from the anchor to the thumb.
void CMainDlg::UpdateSelection()
{
    if (m_nAnchor < 0)
        return;
    m_pSlider->SetSelStart(m_nAnchor);
    m_pSlider->SetSelEnd(m_pSlider->GetPos());
    m_pSlider->SetTic(m_pSlider->GetPos());
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
    m_ePlayState = EPlayState::Stopped;
}

void CMainDlg::ResetPlayback()
{
    if (m_ePlayState == EPlayState::Idle)
        return;
    SetPlayButtons(false);
    m_timer.stop();
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
    const uint32_t nSeconds = WholeSeconds(m_services.player.GetCurrentPosition());
    m_pSlider->SetPos(static_cast<int>(std::min<uint32_t>(nSeconds / m_nSecsPerStep, INT_MAX)));
    UpdateSelection();
}

// Playback jumps to the thumb and the thumb follows it again from there.
void CMainDlg::SeekPlayback()
{
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
    m_ePlayState = EPlayState::Idle;
    SetPlayButtons(false);
}

void CMainDlg::OnEndOfStream(int32_t)
{
    m_ePlayState = EPlayState::Idle;
    m_timer.stop();
    SetPlayButtons(false);
    m_pSlider->SetPos(m_pSlider->GetRangeMax());
}
