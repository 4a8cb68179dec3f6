// The media player with real sound: a private PulseAudio server with a null
// sink stands in for the sound card, and its monitor lets the test hear it.
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

namespace {

constexpr int kWaitMs = 20000;
constexpr double kToneHz = 1000;
constexpr double kFileSeconds = 4;
const char* const kSink = "tolvane_test_sink";

bool g_bNoServerRun = false;    // --no-sound-server: no output device at all
std::string g_strServerProblem; // why the test's own server is not there
const CTempDir g_files;          // the tone files

struct CEventLog : IMediaPlayerEvents {
    void OnPlayerError() override { ++m_nErrors; }
    void OnEndOfStream(int32_t) override { ++m_nEnds; }
    int m_nErrors = 0;
    int m_nEnds = 0;
};

// How many tenths of a second of a one-channel 16-bit recording at 44100 Hz
// sound the tone: well above silence, at its frequency within 2%.
int ToneTenths(const QByteArray& recorded)
{
    constexpr size_t nTenth = 4410;
    std::vector<int16_t> samples(static_cast<size_t>(recorded.size()) / 2);
    std::memcpy(samples.data(), recorded.constData(), samples.size() * 2);
    int nTone = 0;
    for (size_t i = 0; i + nTenth <= samples.size(); i += nTenth) {
        double dSquares = 0;
        int nCrossings = 0; // rising zero crossings: a tenth of the frequency
        for (size_t j = i; j < i + nTenth; ++j) {
            dSquares += double(samples[j]) * samples[j];
            nCrossings += j > i && samples[j - 1] < 0 && samples[j] >= 0;
        }
        nTone += std::sqrt(dSquares / nTenth) > 5000 && std::abs(nCrossings * 10 - kToneHz) <= kToneHz * 0.02;
    }
    return nTone;
}

// Plays a tone of kToneHz, kFileSeconds long, as "wav" and as "mp3"; skips
// without the test's own sound server.
class MediaPlayer : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RunCommand({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", g_files / "tone.wav", "synth",
                              std::to_string(kFileSeconds), "sine", std::to_string(kToneHz), "vol", "0.5"}).nExit, 0);
        ASSERT_EQ(RunCommand({"lame", "--quiet", "-b", "128", g_files / "tone.wav", g_files / "tone.mp3"}).nExit, 0);
    }
    void SetUp() override
    {
        if (g_bNoServerRun || !g_strServerProblem.empty())
            GTEST_SKIP() << (g_bNoServerRun ? "runs with the test's own sound server" : g_strServerProblem);
        m_player.SetEvents(&m_events);
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
    CEventLog m_events;
    CMediaPlayer2 m_player;
};

// Play starts at the position set before it, resumes where Stop left; each end
// raises one end of stream, the second from past the end as the main window
// plays after an end: it gives the file again, then the thumb's position.
// (Without the file given again, the backend drops a seek to where it stands
// and plays the whole file once more, which under load can stall at about
// 0.3 s in GStreamer's PulseAudio sink.) One second of the file's tone must
// reach the output.
TEST_P(MediaPlayer, PlaysFromThePositionResumesEndsOnceAndSoundsTheTone)
{
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                QStringLiteral("-d %1.monitor --raw --format=s16le --rate=44100 --channels=1 --latency-msec=20")
                    .arg(QLatin1String(kSink)).split(QLatin1Char(' ')));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return !RunCommand({"pactl", "list", "short", "source-outputs"}).strOut.empty(); }, kWaitMs))
        << "the recording did not start";
    const std::string strTone = g_files / (std::string("tone.") + GetParam());
    m_player.SetFileName(strTone);
    m_player.SetCurrentPosition(1.0);
    m_player.Play();
    EXPECT_GE(LowestUntil([&] { return m_player.GetCurrentPosition() >= 1.3; }), 0.99);
    m_player.Stop();
    const double dStopped = m_player.GetCurrentPosition();
    m_player.Play();
    EXPECT_GE(LowestUntil([&] { return m_events.m_nEnds > 0; }), dStopped - 0.1) << "playing went back";
    EXPECT_EQ(m_events.m_nEnds, 1);
    m_player.SetFileName(strTone);
    m_player.SetCurrentPosition(kFileSeconds + 10);
    m_player.Play();
    LowestUntil([&] { return m_events.m_nEnds >= 2; });
    EXPECT_EQ(m_events.m_nEnds, 2);

    QByteArray recorded;
    const bool bHeard = QTest::qWaitFor([&] {
        recorded += parec.readAllStandardOutput();
        return ToneTenths(recorded) >= 10;
    }, kWaitMs);
    parec.kill();
    parec.waitForFinished();
    EXPECT_TRUE(bHeard) << "less than a second of the tone reached the output: " << ToneTenths(recorded);
}

// Plays a file that cannot play: one error, raised only once the event loop
// runs, and no end of stream. Returns the error's text.
std::string ErrorOfPlaying(const std::string& strPath)
{
    CEventLog events;
    CMediaPlayer2 player;
    player.SetEvents(&events);
    player.SetFileName(strPath);
    player.Play();
    EXPECT_EQ(events.m_nErrors, 0) << "events wait for the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.m_nErrors > 0; }, kWaitMs));
    EXPECT_EQ(events.m_nErrors, 1);
    EXPECT_EQ(events.m_nEnds, 0);
    return player.GetErrorDescription();
}

TEST_P(MediaPlayer, RaisesOneErrorWithATextForAFileThatIsNotSound)
{
    const std::string strPath = g_files / (std::string("text.") + GetParam());
    WriteBytes(strPath, {'n', 'o', 't', '\n'});
    EXPECT_NE(ErrorOfPlaying(strPath), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaPlayer, testing::Values("wav", "mp3"),
                         [](const auto& row) { return std::string(row.param); });

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

// The test's own PulseAudio daemon, its files in a folder of its own and a null
// sink its only output, starts before the application so that Qt's list of
// devices sees it; it leaves a few seconds after its last client. With
// --no-sound-server, clients are pointed at no socket at all.
int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    g_bNoServerRun = argc > 1 && std::strcmp(argv[1], "--no-sound-server") == 0;
    CTempDir serverDir;
    for (const char* pName : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"})
        setenv(pName, serverDir.Path().c_str(), 1);
    const std::string strSocket = g_bNoServerRun ? "/nonexistent/tolvane-no-sound-server" : serverDir / "native";
    if (!g_bNoServerRun) {
        const CCommandResult r = RunCommand({"pulseaudio", "--daemonize=yes", "-n", "--exit-idle-time=5",
                                             "--disable-shm=yes", "--log-target=stderr", "-L",
                                             std::string("module-null-sink sink_name=") + kSink, "-L",
                                             "module-native-protocol-unix auth-anonymous=1 socket=" + strSocket});
        if (r.nExit != 0)
            g_strServerProblem = "PulseAudio did not start (exit " + std::to_string(r.nExit) + "): " + r.strErr;
    }
    setenv("PULSE_SERVER", ("unix:" + strSocket).c_str(), 1);
    QGuiApplication app(argc, argv);
    const int nResult = RUN_ALL_TESTS();
    if (!g_bNoServerRun && g_strServerProblem.empty())
        RunCommand({"pulseaudio", "--kill"});
    return nResult;
}
