#pragma once

#include <cstdint>
#include <string>

// Events of the player, delivered later from the event loop, never from inside
// a call on the player.
class IMediaPlayerEvents {
public:
    virtual ~IMediaPlayerEvents() = default;
    virtual void OnPlayerError() = 0;                // GetErrorDescription() says what went wrong
    virtual void OnEndOfStream(int32_t nResult) = 0; // once per end of the media
};

// The sound output of the main window: one file at a time, positions in
// seconds from the start of the file. Calls report nothing; failures arrive
// as OnPlayerError.
class IMediaPlayer {
public:
    virtual ~IMediaPlayer() = default;
    virtual void SetFileName(const std::string& strPath) = 0;
    virtual double GetCurrentPosition() const = 0; // seconds
    virtual void SetCurrentPosition(double dSeconds) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0; // stops sound but keeps the position: Play resumes there
    virtual void Pause() = 0;
    virtual std::string GetErrorDescription() const = 0;
    virtual void SetEvents(IMediaPlayerEvents* pEvents) = 0; // null: no events
};
