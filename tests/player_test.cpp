// The media player with real sound: a private PulseAudio server with a null
// sink stands in for the sound card, and its monitor lets the test hear what
// was played.
#include "player/MediaPlayer2.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr int kWaitMs = 20000;
constexpr double kToneHz = 1000;
constexpr double kFileSeconds = 4;
const char* const kSink = "tolvane_test_sink";

// A PulseAudio daemon of the test's own: runtime, state and socket in a
// temporary folder, a null sink as the only output. It leaves by itself a few
// seconds after its last client, should the test not stop it. Clients of this
// process find it through PULSE_SERVER.
class CSoundServer {
public:
    CSoundServer()
    {
        const std::string strSocket = m_dir / "native";
        // The parent returns once the daemon is ready, or with its reason.
        const CCommandResult r = RunCommand(
            Env() + std::vector<std::string>{"pulseaudio", "--daemonize=yes", "-n", "--exit-idle-time=5",
                                             "--disable-shm=yes", "--log-target=stderr", "-L",
                                             std::string("module-null-sink sink_name=") + kSink, "-L",
                                             "module-native-protocol-unix auth-anonymous=1 socket=" + strSocket});
        if (r.nExit != 0)
            m_strProblem = "PulseAudio did not start (exit " + std::to_string(r.nExit) + "): " + r.strErr;
        else
            setenv("PULSE_SERVER", ("unix:" + strSocket).c_str(), 1);
    }
    ~CSoundServer()
    {
        if (m_strProblem.empty())
            RunCommand(Env() + std::vector<std::string>{"pulseaudio", "--kill"});
    }

    // Empty once the server runs.
    const std::string& Problem() const { return m_strProblem; }

private:
    std::vector<std::string> Env() const
    {
        std::vector<std::string> env = {"env"};
        for (const char* pName : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"})
            env.push_back(std::string(pName) + "=" + m_dir.Path());
        return env;
    }

    CTempDir m_dir;
    std::string m_strProblem;
};

bool g_bNoServerRun = false;    // --no-sound-server: no output device at all
std::string g_strServerProblem; // why the test's own server is not there

// Skips a test that needs the test's own sound server when it is not there.
#define REQUIRE_SOUND_SERVER()                                                                                        \
    do {                                                                                                               \
        if (g_bNoServerRun)                                                                                            \
            GTEST_SKIP() << "runs with the test's own sound server, not with --no-sound-server";                      \
        if (!g_strServerProblem.empty())                                                                               \
            GTEST_SKIP() << g_strServerProblem;                                                                        \
    } while (false)

class CEventLog : public IMediaPlayerEvents {
public:
    void OnPlayerError() override { ++m_nErrors; }
    void OnEndOfStream(int32_t) override { ++m_nEnds; }
    int m_nErrors = 0;
    int m_nEnds = 0;
};

// One-channel 16-bit samples recorded from the null sink's monitor, from the
// moment the recording stream is connected.
class CRecorder {
public:
    CRecorder()
    {
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QString::fromLatin1(kSink) + QStringLiteral(".monitor"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
        EXPECT_TRUE(QTest::qWaitFor(
            [] { return !RunCommand({"pactl", "list", "short", "source-outputs"}).strOut.empty(); }, kWaitMs))
            << "the recording did not start";
    }
    ~CRecorder()
    {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    const std::vector<int16_t>& Samples()
    {
        m_bytes += m_parec.readAllStandardOutput();
        m_samples.resize(static_cast<size_t>(m_bytes.size()) / 2);
        std::memcpy(m_samples.data(), m_bytes.constData(), m_samples.size() * 2);
        return m_samples;
    }

private:
    QProcess m_parec;
    QByteArray m_bytes;
    std::vector<int16_t> m_samples;
};

// Tenths of a second of the recording that sound: their level well above
// silence, and for each its count of rising zero crossings, ten times which
// is its frequency.
std::vector<int> SoundingTenths(const std::vector<int16_t>& samples)
{
    constexpr size_t nTenth = 4410;
    std::vector<int> crossings;
    for (size_t i = 0; i + nTenth <= samples.size(); i += nTenth) {
        double dSquares = 0;
        int nCrossings = 0;
        for (size_t j = i; j < i + nTenth; ++j) {
            dSquares += double(samples[j]) * samples[j];
            nCrossings += j > i && samples[j - 1] < 0 && samples[j] >= 0;
        }
        if (std::sqrt(dSquares / nTenth) > 5000)
            crossings.push_back(nCrossings);
    }
    return crossings;
}

struct SFormat {
    const char* name;
    const char* extension;
};

void PrintTo(const SFormat& format, std::ostream* pOut)
{
    *pOut << format.name;
}

class MediaPlayer : public testing::TestWithParam<SFormat> {
protected:
    static void SetUpTestSuite()
    {
        s_pDir = new CTempDir;
        const std::string strWav = *s_pDir / "tone.wav";
        ASSERT_EQ(RunCommand({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", strWav, "synth",
                              std::to_string(kFileSeconds), "sine", std::to_string(kToneHz), "vol", "0.5"})
                      .nExit,
                  0);
        ASSERT_EQ(RunCommand({"lame", "--quiet", "-b", "128", strWav, *s_pDir / "tone.mp3"}).nExit, 0);
    }
    static void TearDownTestSuite()
    {
        delete s_pDir;
        s_pDir = nullptr;
    }

    void SetUp() override
    {
        REQUIRE_SOUND_SERVER();
        m_player.SetEvents(&m_events);
    }

    std::string File() const { return *s_pDir / (std::string("tone.") + GetParam().extension); }

    // Waits until playing passes dSeconds; returns the lowest position seen on the way.
    double PlayUntil(double dSeconds)
    {
        double dLowest = m_player.GetCurrentPosition();
        const bool bReached = QTest::qWaitFor(
            [&] {
                const double d = m_player.GetCurrentPosition();
                dLowest = std::min(dLowest, d);
                return d >= dSeconds;
            },
            kWaitMs);
        EXPECT_TRUE(bReached) << "playing stands at " << m_player.GetCurrentPosition();
        EXPECT_EQ(m_events.m_nErrors, 0) << m_player.GetErrorDescription();
        return dLowest;
    }

    static CTempDir* s_pDir;
    CEventLog m_events;
    CMediaPlayer2 m_player;
};

CTempDir* MediaPlayer::s_pDir = nullptr;

// First while the file loads, then while it plays.
TEST_P(MediaPlayer, PlaysFromWhereThePositionWasSet)
{
    m_player.SetFileName(File());
    m_player.SetCurrentPosition(1.0);
    EXPECT_DOUBLE_EQ(m_player.GetCurrentPosition(), 1.0);
    m_player.Play();
    EXPECT_GE(PlayUntil(1.3), 0.99);
    m_player.SetCurrentPosition(2.5);
    m_player.Play();
    EXPECT_GE(PlayUntil(2.8), 2.49);
}

TEST_P(MediaPlayer, StopKeepsThePositionAndPlayResumesThere)
{
    m_player.SetFileName(File());
    m_player.Play();
    PlayUntil(1.0);
    m_player.Stop();
    const double dStopped = m_player.GetCurrentPosition();
    EXPECT_GE(dStopped, 1.0);
    m_player.Play();
    EXPECT_GE(PlayUntil(dStopped + 0.5), dStopped - 0.1);
}

// The second round starts past the end, as the main window does after an end.
TEST_P(MediaPlayer, RaisesEndOfStreamOncePerEnd)
{
    for (int nEnd = 1; nEnd <= 2; ++nEnd) {
        m_player.SetFileName(File());
        m_player.SetCurrentPosition(nEnd == 1 ? kFileSeconds - 1 : kFileSeconds + 10);
        m_player.Play();
        double dLowest = m_player.GetCurrentPosition();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                dLowest = std::min(dLowest, m_player.GetCurrentPosition());
                return m_events.m_nEnds >= nEnd;
            },
            kWaitMs));
        EXPECT_EQ(m_events.m_nEnds, nEnd);
        EXPECT_GE(dLowest, kFileSeconds - 1.01) << "playing went back";
    }
    EXPECT_EQ(m_events.m_nErrors, 0) << m_player.GetErrorDescription();
}

// What reaches the sound output is the file's tone, well above silence.
// Under load the output may drop a stretch, so the whole file is played and
// one second of it must come through.
TEST_P(MediaPlayer, SoundsTheFilesToneOnTheOutput)
{
    CRecorder recorder;
    m_player.SetFileName(File());
    m_player.Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_events.m_nEnds > 0; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return SoundingTenths(recorder.Samples()).size() >= 10; }, kWaitMs))
        << "less than a second of sound reached the output: " << SoundingTenths(recorder.Samples()).size();
    std::vector<int> crossings = SoundingTenths(recorder.Samples());
    std::nth_element(crossings.begin(), crossings.begin() + crossings.size() / 2, crossings.end());
    EXPECT_NEAR(crossings[crossings.size() / 2] * 10, kToneHz, kToneHz * 0.02);
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaPlayer, testing::Values(SFormat{"Wav", "wav"}, SFormat{"Mp3", "mp3"}), ByName);

struct SBadFile {
    const char* name;
    const char* fileName;
    std::optional<std::string> bytes; // none: the file is not there
};

void PrintTo(const SBadFile& file, std::ostream* pOut)
{
    *pOut << file.fileName;
}

class MediaPlayerBadFile : public testing::TestWithParam<SBadFile> {};

TEST_P(MediaPlayerBadFile, RaisesOneErrorWithAText)
{
    REQUIRE_SOUND_SERVER();
    CTempDir dir;
    const std::string strPath = dir / GetParam().fileName;
    if (const auto& bytes = GetParam().bytes)
        WriteBytes(strPath, Bytes(bytes->begin(), bytes->end()));
    CEventLog events;
    CMediaPlayer2 player;
    player.SetEvents(&events);
    player.SetFileName(strPath);
    player.SetCurrentPosition(1.0);
    player.Play();
    EXPECT_EQ(events.m_nErrors, 0) << "events wait for the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.m_nErrors > 0; }, kWaitMs));
    EXPECT_EQ(events.m_nErrors, 1);
    EXPECT_EQ(events.m_nEnds, 0);
    EXPECT_FALSE(player.GetErrorDescription().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, MediaPlayerBadFile,
                         testing::Values(SBadFile{"Text", "text.mp3", "not a sound file\n"},
                                         SBadFile{"Empty", "empty.wav", ""},
                                         SBadFile{"NoChunks", "nochunks.wav", std::string("RIFF\x04\0\0\0WAVE", 12)},
                                         SBadFile{"Missing", "missing.wav", std::nullopt}),
                         ByName);

// Run with --no-sound-server, when no output device exists.
TEST(MediaPlayerNoSoundServer, PlayRaisesAnError)
{
    if (!g_bNoServerRun)
        GTEST_SKIP() << "runs only with --no-sound-server";
    CTempDir dir;
    WriteBytes(dir / "any.wav", Bytes(100, 0));
    CEventLog events;
    CMediaPlayer2 player;
    player.SetEvents(&events);
    player.SetFileName(dir / "any.wav");
    player.Play();
    EXPECT_EQ(events.m_nErrors, 0) << "events wait for the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.m_nErrors > 0; }, kWaitMs));
    EXPECT_EQ(player.GetErrorDescription(), "No audio output device is available.");
}

} // namespace

// The sound server starts before the application, so that Qt's list of
// devices sees it. With --no-sound-server, clients are pointed at a socket
// that does not exist.
int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    g_bNoServerRun = argc > 1 && std::strcmp(argv[1], "--no-sound-server") == 0;
    std::optional<CSoundServer> server;
    if (g_bNoServerRun) {
        setenv("PULSE_SERVER", "unix:/nonexistent/tolvane-no-sound-server", 1);
    } else {
        server.emplace();
        g_strServerProblem = server->Problem();
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
