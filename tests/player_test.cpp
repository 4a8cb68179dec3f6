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
#include <functional>
#include <optional>

namespace {

constexpr int kWaitMs = 20000;
constexpr double kToneHz = 1000;
constexpr double kFileSeconds = 4;
const char* const kSink = "tolvane_test_sink";

bool g_bNoServerRun = false;    // --no-sound-server: no output device at all
std::string g_strServerProblem; // why the test's own server is not there

// Starts a PulseAudio daemon of the test's own: runtime, state and socket in
// strDir, a null sink as the only output, found by this process and its
// children through the environment. It leaves by itself a few seconds after
// its last client. Returns why it did not start, or nothing.
std::string StartSoundServer(const std::string& strDir)
{
    for (const char* pName : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"})
        setenv(pName, strDir.c_str(), 1);
    const std::string strSocket = strDir + "/native";
    // The parent returns once the daemon is ready, or with its reason.
    const CCommandResult r = RunCommand({"pulseaudio", "--daemonize=yes", "-n", "--exit-idle-time=5",
                                         "--disable-shm=yes", "--log-target=stderr", "-L",
                                         std::string("module-null-sink sink_name=") + kSink, "-L",
                                         "module-native-protocol-unix auth-anonymous=1 socket=" + strSocket});
    if (r.nExit != 0)
        return "PulseAudio did not start (exit " + std::to_string(r.nExit) + "): " + r.strErr;
    setenv("PULSE_SERVER", ("unix:" + strSocket).c_str(), 1);
    return "";
}

class CEventLog : public IMediaPlayerEvents {
public:
    void OnPlayerError() override { ++m_nErrors; }
    void OnEndOfStream(int32_t) override { ++m_nEnds; }
    int m_nErrors = 0;
    int m_nEnds = 0;
};

// Tenths of a second of a one-channel 16-bit recording at 44100 Hz that
// sound: their level well above silence, and for each its count of rising
// zero crossings, ten times which is its frequency.
std::vector<int> SoundingTenths(const QByteArray& recorded)
{
    constexpr size_t nTenth = 4410;
    std::vector<int16_t> samples(static_cast<size_t>(recorded.size()) / 2);
    std::memcpy(samples.data(), recorded.constData(), samples.size() * 2);
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

// Skips without the test's own sound server; the player reports to m_events.
template <typename Param>
class CPlayerTest : public testing::TestWithParam<Param> {
protected:
    void SetUp() override
    {
        if (g_bNoServerRun || !g_strServerProblem.empty())
            GTEST_SKIP() << (g_bNoServerRun ? "runs with the test's own sound server" : g_strServerProblem);
        m_player.SetEvents(&m_events);
    }
    CEventLog m_events;
    CMediaPlayer2 m_player;
};

// Plays a tone of kToneHz, kFileSeconds long, as "wav" and as "mp3".
class MediaPlayer : public CPlayerTest<const char*> {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RunCommand({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", Dir() / "tone.wav", "synth",
                              std::to_string(kFileSeconds), "sine", std::to_string(kToneHz), "vol", "0.5"}).nExit, 0);
        ASSERT_EQ(RunCommand({"lame", "--quiet", "-b", "128", Dir() / "tone.wav", Dir() / "tone.mp3"}).nExit, 0);
    }
    static CTempDir& Dir()
    {
        static CTempDir dir;
        return dir;
    }
    void Play(double dFrom)
    {
        m_player.SetFileName(Dir() / (std::string("tone.") + GetParam()));
        m_player.SetCurrentPosition(dFrom);
        m_player.Play();
    }
    // Waits until bDone holds, with no error; returns the lowest position seen on the way.
    double LowestUntil(const std::function<bool()>& bDone)
    {
        double dLowest = m_player.GetCurrentPosition();
        EXPECT_TRUE(QTest::qWaitFor([&] { dLowest = std::min(dLowest, m_player.GetCurrentPosition()); return bDone(); },
                                    kWaitMs)) << "playing stands at " << m_player.GetCurrentPosition();
        EXPECT_EQ(m_events.m_nErrors, 0) << m_player.GetErrorDescription();
        return dLowest;
    }
    double PlayUntil(double d) { return LowestUntil([&] { return m_player.GetCurrentPosition() >= d; }); }
};

// A position set while the file loads, then one set while it plays, is where
// playing starts; Stop keeps the position and Play resumes there.
TEST_P(MediaPlayer, PlaysFromWhereThePositionWasSetAndResumesAfterStop)
{
    Play(1.0);
    EXPECT_DOUBLE_EQ(m_player.GetCurrentPosition(), 1.0);
    EXPECT_GE(PlayUntil(1.3), 0.99);
    m_player.Stop();
    const double dStopped = m_player.GetCurrentPosition();
    EXPECT_GE(dStopped, 1.3);
    m_player.Play();
    EXPECT_GE(PlayUntil(dStopped + 0.3), dStopped - 0.1);
    m_player.SetCurrentPosition(2.5);
    m_player.Play();
    EXPECT_GE(PlayUntil(2.8), 2.49);
}

// One end of stream per end; the second round starts past the end, as the
// main window does after an end.
TEST_P(MediaPlayer, RaisesEndOfStreamOncePerEnd)
{
    for (int nEnd = 1; nEnd <= 2; ++nEnd) {
        Play(nEnd == 1 ? kFileSeconds - 1 : kFileSeconds + 10);
        EXPECT_GE(LowestUntil([&] { return m_events.m_nEnds >= nEnd; }), kFileSeconds - 1.01) << "playing went back";
        EXPECT_EQ(m_events.m_nEnds, nEnd);
    }
}

// What reaches the sound output is the file's tone, well above silence.
// Under load the output may drop a stretch, so the whole file is played and
// one second of it must come through.
TEST_P(MediaPlayer, SoundsTheFilesToneOnTheOutput)
{
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                QStringLiteral("-d %1.monitor --raw --format=s16le --rate=44100 --channels=1 --latency-msec=20")
                    .arg(QLatin1String(kSink)).split(QLatin1Char(' ')));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return !RunCommand({"pactl", "list", "short", "source-outputs"}).strOut.empty(); }, kWaitMs))
        << "the recording did not start";
    Play(0);
    LowestUntil([&] { return m_events.m_nEnds > 0; });
    QByteArray recorded;
    std::vector<int> crossings;
    const bool bHeard = QTest::qWaitFor([&] {
        recorded += parec.readAllStandardOutput();
        return (crossings = SoundingTenths(recorded)).size() >= 10;
    }, kWaitMs);
    parec.kill();
    parec.waitForFinished();
    ASSERT_TRUE(bHeard) << "less than a second of sound reached the output: " << crossings.size();
    std::nth_element(crossings.begin(), crossings.begin() + crossings.size() / 2, crossings.end());
    EXPECT_NEAR(crossings[crossings.size() / 2] * 10, kToneHz, kToneHz * 0.02);
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaPlayer, testing::Values("wav", "mp3"),
                         [](const auto& row) { return std::string(row.param); });

// Plays a file that cannot play: one error, raised only once the event loop
// runs, and no end of stream. Returns the error's text.
std::string ErrorOfPlaying(const std::string& strPath)
{
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
    return player.GetErrorDescription();
}

struct SBadFile {
    const char* name;
    const char* fileName;
    std::optional<std::string> bytes; // none: the file is not there
};
void PrintTo(const SBadFile& file, std::ostream* pOut) { *pOut << file.name; }
class MediaPlayerBadFile : public CPlayerTest<SBadFile> {};

TEST_P(MediaPlayerBadFile, RaisesOneErrorWithAText)
{
    CTempDir dir;
    if (const auto& bytes = GetParam().bytes)
        WriteBytes(dir / GetParam().fileName, Bytes(bytes->begin(), bytes->end()));
    EXPECT_NE(ErrorOfPlaying(dir / GetParam().fileName), "");
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
    EXPECT_EQ(ErrorOfPlaying(dir / "any.wav"), "No audio output device is available.");
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
    CTempDir serverDir;
    if (g_bNoServerRun)
        setenv("PULSE_SERVER", "unix:/nonexistent/tolvane-no-sound-server", 1);
    else
        g_strServerProblem = StartSoundServer(serverDir.Path());
    QGuiApplication app(argc, argv);
    const int nResult = RUN_ALL_TESTS();
    if (!g_bNoServerRun && g_strServerProblem.empty())
        RunCommand({"pulseaudio", "--kill"});
    return nResult;
}
