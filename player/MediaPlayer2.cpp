#include "player/MediaPlayer2.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

// Far beyond any file's length, small enough for milliseconds in 64 bits.
constexpr double kMaxSeconds = 1e9;

qint64 ToMilliseconds(double dSeconds)
{
    if (!(dSeconds > 0)) // also NaN
        return 0;
    return std::llround(std::min(dSeconds, kMaxSeconds) * 1000.0);
}

std::string FallbackText(QMediaPlayer::Error error)
{
    switch (error) {
    case QMediaPlayer::FormatError:
        return "The file's format is not supported.";
    case QMediaPlayer::AccessDeniedError:
        return "The file cannot be read.";
    default:
        return "The file cannot be played.";
    }
}

} // namespace

CMediaPlayer2::CMediaPlayer2(QObject* pParent)
    : QObject(pParent)
{
    m_player.setAudioOutput(&m_audioOutput);
    connect(&m_player, &QMediaPlayer::mediaStatusChanged, this, &CMediaPlayer2::OnMediaStatusChanged);
    connect(&m_player, &QMediaPlayer::seekableChanged, this, &CMediaPlayer2::ApplyWhenLoaded);
    connect(&m_player, &QMediaPlayer::errorOccurred, this, &CMediaPlayer2::OnBackendError);
}

// The source is cleared first, so that the same path loads afresh and every
// file goes through loading before it plays.
void CMediaPlayer2::SetFileName(const std::string& strPath)
{
    ++m_nFile;
    m_nPendingMs.reset();
    m_bLoading = false;
    m_bPlayPending = false;
    m_bErrorRaised = false;
    m_bEndRaised = false;
    m_strError.clear();
    m_player.setSource(QUrl());
    // The backend waits for ever on a file it cannot open; Play reports it.
    const QString strFile = QFile::decodeName(QByteArray::fromStdString(strPath));
    const QFileInfo info(strFile);
    if (!info.isFile() || !info.isReadable()) {
        m_strError = "The file cannot be opened for playing.";
        return;
    }
    m_bLoading = true;
    m_player.setSource(QUrl::fromLocalFile(strFile));
}

double CMediaPlayer2::GetCurrentPosition() const
{
    const qint64 nMs = m_nPendingMs ? *m_nPendingMs : m_player.position();
    return static_cast<double>(nMs) / 1000.0;
}

void CMediaPlayer2::SetCurrentPosition(double dSeconds)
{
    m_bEndRaised = false;
    if (m_bLoading)
        m_nPendingMs = ToMilliseconds(dSeconds);
    else
        Seek(ToMilliseconds(dSeconds));
}

// A seek past the end fails in some decoders and playing restarts from the
// start; the end itself ends playing at once.
void CMediaPlayer2::Seek(qint64 nMs)
{
    const qint64 nDuration = m_player.duration();
    m_player.setPosition(nDuration > 0 ? std::min(nMs, nDuration) : nMs);
}

void CMediaPlayer2::Play()
{
    m_bErrorRaised = false;
    m_bEndRaised = false;
    // Without an output the backend would play into nothing, silently.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        m_bPlayPending = false;
        RaiseError("No audio output device is available.");
        return;
    }
    if (m_audioOutput.device() != device)
        m_audioOutput.setDevice(device);
    // Nothing loaded, or a file that failed: the backend would wait in vain.
    const QMediaPlayer::MediaStatus status = m_player.mediaStatus();
    if (status == QMediaPlayer::NoMedia || status == QMediaPlayer::InvalidMedia) {
        RaiseError(m_strError.empty() ? std::string("No file to play.") : m_strError);
        return;
    }
    if (m_bLoading)
        m_bPlayPending = true;
    else
        StartPlaying();
}

// The backend's stop would rewind; a pause keeps the position.
void CMediaPlayer2::Stop()
{
    m_bPlayPending = false;
    if (m_player.playbackState() == QMediaPlayer::PlayingState)
        m_player.pause();
}

void CMediaPlayer2::Pause()
{
    Stop();
}

std::string CMediaPlayer2::GetErrorDescription() const
{
    return m_strError;
}

void CMediaPlayer2::SetEvents(IMediaPlayerEvents* pEvents)
{
    m_pEvents = pEvents;
}

void CMediaPlayer2::StartPlaying()
{
    m_bPlayPending = false;
    m_player.play();
}

bool CMediaPlayer2::IsLoaded() const
{
    switch (m_player.mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::EndOfMedia:
        return true;
    default:
        return false;
    }
}

// The backend reports the file loaded a moment before it takes seeks; a
// stream that never becomes seekable plays from where it stands.
void CMediaPlayer2::ApplyWhenLoaded()
{
    if (!m_bLoading || !IsLoaded())
        return;
    if (!m_player.isSeekable() && m_player.mediaStatus() != QMediaPlayer::BufferedMedia)
        return;
    m_bLoading = false;
    if (m_nPendingMs)
        Seek(*m_nPendingMs);
    m_nPendingMs.reset();
    if (m_bPlayPending)
        StartPlaying();
}

void CMediaPlayer2::OnMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::InvalidMedia)
        DropLoading();
    else if (status == QMediaPlayer::EndOfMedia && !m_bLoading) {
        RaiseEndOfStream();
    }
    ApplyWhenLoaded();
}

// A file the backend cannot read reports several errors in a row; the first
// says why.
void CMediaPlayer2::OnBackendError(QMediaPlayer::Error error, const QString& strText)
{
    if (error == QMediaPlayer::NoError)
        return;
    DropLoading();
    RaiseError(strText.isEmpty() ? FallbackText(error) : strText.toStdString());
}

// A file that will not load takes no pending position or Play.
void CMediaPlayer2::DropLoading()
{
    m_bLoading = false;
    m_bPlayPending = false;
    m_nPendingMs.reset();
}

void CMediaPlayer2::RaiseError(const std::string& strText)
{
    if (m_bErrorRaised)
        return;
    m_bErrorRaised = true;
    m_strError = strText;
    Post([](IMediaPlayerEvents& events) { events.OnPlayerError(); });
}

void CMediaPlayer2::RaiseEndOfStream()
{
    if (m_bEndRaised)
        return;
    m_bEndRaised = true;
    Post([](IMediaPlayerEvents& events) { events.OnEndOfStream(0); });
}

// Events reach the owner from the event loop, and only while the file they
// are about is still the current one.
void CMediaPlayer2::Post(void (*pRaise)(IMediaPlayerEvents&))
{
    const unsigned nFile = m_nFile;
    QMetaObject::invokeMethod(
        this,
        [this, nFile, pRaise] {
            if (m_pEvents && nFile == m_nFile)
                pRaise(*m_pEvents);
        },
        Qt::QueuedConnection);
}
