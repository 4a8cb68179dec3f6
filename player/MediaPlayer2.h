#pragma once

#include "player/MediaPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>

#include <optional>

// The player over Qt Multimedia, sounding on the system's default output.
//
// The backend loads a file in the background and ignores a seek until the
// file is loaded, and its own stop rewinds to the start. So a position and a
// Play given while the file loads are kept and applied once it is loaded, and
// Stop only pauses, which keeps the position for the next Play.
//
// Events are posted to the event loop, so they never arrive inside a call on
// the player; those of a file given before the last SetFileName are dropped.
class CMediaPlayer2 : public QObject, public IMediaPlayer {
    Q_OBJECT
public:
    explicit CMediaPlayer2(QObject* pParent = nullptr);

    void SetFileName(const std::string& strPath) override;
    double GetCurrentPosition() const override;
    void SetCurrentPosition(double dSeconds) override;
    void Play() override;
    void Stop() override;
    void Pause() override;
    std::string GetErrorDescription() const override;
    void SetEvents(IMediaPlayerEvents* pEvents) override;

private:
    void OnMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void OnBackendError(QMediaPlayer::Error error, const QString& strText);
    bool IsLoaded() const;
    void ApplyWhenLoaded();
    void Seek(qint64 nMs);
    void StartPlaying();
    void DropLoading();
    void Post(void (*pRaise)(IMediaPlayerEvents&));
    void RaiseError(const std::string& strText);
    void RaiseEndOfStream();

    QAudioOutput m_audioOutput; // before the player, which uses it until it goes
    QMediaPlayer m_player;
    IMediaPlayerEvents* m_pEvents = nullptr;
    std::string m_strError;
    std::optional<qint64> m_nPendingMs; // a position given while the file loads
    bool m_bPlayPending = false;        // a Play given while the file loads
    bool m_bLoading = false;
    bool m_bErrorRaised = false;        // one error per file or Play
    bool m_bEndRaised = false;          // one end of stream per Play
    unsigned m_nFile = 0;               // counts SetFileName, to drop stale events
};
