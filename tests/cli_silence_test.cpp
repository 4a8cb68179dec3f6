// tolvane-cut at silences: speech said by espeak-ng, its own silence trimmed,
// joined by pauses of known length; and what is refused before anything is written.
#include "audio/CutPlanners.h"
#include "audio/CutTime.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace {

using Args = std::vector<std::string>;
constexpr uint64_t kRate = 22050; // espeak-ng's rate, 16-bit mono
constexpr uint64_t kFrame = 2;

struct SSpeech {
    std::string strPath;
    std::vector<std::pair<uint64_t, uint64_t>> pauses; // sample frames [from, to)
    uint64_t nTotal = 0;

    bool InPause(uint64_t nFrame) const
    {
        return std::any_of(pauses.begin(), pauses.end(), [&](auto p) { return p.first <= nFrame && nFrame < p.second; });
    }
};

// The utterances joined by pauses of the given milliseconds.
SSpeech MakeSpeech(const CTempDir& dir, const std::string& strName, const Args& said, const std::vector<unsigned>& pauses)
{
    SSpeech speech{dir / strName, {}, 0};
    Args join{"sox"};
    std::map<std::string, std::string> made;
    for (size_t i = 0; i < said.size(); ++i) {
        std::string& strSaid = made[said[i]];
        if (strSaid.empty()) {
            strSaid = dir / (strName + std::to_string(made.size()) + ".wav");
            RunCommand({"espeak-ng", "-w", strSaid + ".raw.wav", said[i]});
            RunCommand({"sox", strSaid + ".raw.wav", strSaid, "silence", "1", "0.005", "1%", "reverse", "silence", "1",
                        "0.005", "1%", "reverse"});
        }
        speech.nTotal += std::stoull(RunCommand({"soxi", "-s", strSaid}).strOut);
        join.push_back(strSaid);
        if (i < pauses.size()) {
            const uint64_t n = pauses[i] * kRate / 1000;
            join.push_back(dir / ("pause" + std::to_string(n) + ".wav"));
            RunCommand({"sox", "-r", "22050", "-c", "1", "-n", "-b", "16", join.back(), "trim", "0",
                        std::to_string(n) + "s"});
            speech.pauses.push_back({speech.nTotal, speech.nTotal + n});
            speech.nTotal += n;
        }
    }
    join.push_back(speech.strPath);
    RunCommand(join);
    return speech;
}

// "Cutting at N silence(s): M:SS.mmm, ..." as seconds.
std::vector<double> PrintedCuts(const std::string& strOut)
{
    std::vector<double> cuts;
    const size_t nAt = strOut.find("Cutting at ");
    if (nAt == std::string::npos)
        return cuts;
    std::istringstream in(strOut.substr(strOut.find(": ", nAt) + 2, strOut.find('\n', nAt)));
    unsigned nMinutes = 0;
    double dSeconds = 0;
    char cColon = 0;
    while (in >> nMinutes >> cColon >> dSeconds) {
        cuts.push_back(nMinutes * 60 + dSeconds);
        in.ignore(1); // the comma
    }
    return cuts;
}

// Where each written piece ends, from the data sizes of BASE-1.wav, BASE-2.wav, ...
std::vector<uint64_t> PieceEnds(const CTempDir& dir, const std::string& strBase, unsigned n)
{
    std::vector<uint64_t> ends;
    for (unsigned i = 1; i <= n; ++i)
        ends.push_back((ends.empty() ? 0 : ends.back()) +
                       ReadWrittenWav(dir / (strBase + "-" + std::to_string(i) + ".wav")).nDataSize / kFrame);
    return ends;
}

// The speech files, made once for every test that uses them.
struct SSpeechFiles {
    SSpeechFiles()
    {
        if (!HaveProgram("espeak-ng") || !HaveProgram("sox") || !HaveProgram("lame"))
            return;
        speech = MakeSpeech(dir, "speech.wav", {"one", "two three", "four", "five six"}, {600, 900, 700});
        RunCommand({"lame", "--quiet", "-b", "64", speech.strPath, dir / "speech.mp3"});
        const std::string strSentence = "the quick brown fox jumps over the lazy dog";
        longer = MakeSpeech(dir, "long.wav", Args(10, strSentence), {800, 1300, 800, 1300, 800, 1300, 800, 1300, 800});
        bMade = true;
    }
    CTempDir dir;
    SSpeech speech, longer;
    bool bMade = false;
};

class CliSilence : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const SSpeechFiles s_files;
        s_pFiles = &s_files;
    }
    void SetUp() override
    {
        if (!s_pFiles->bMade)
            GTEST_SKIP() << "needs espeak-ng, sox and lame";
    }
    CCommandResult Cut(const Args& args) { return RunCommand(Args{TOLVANE_CUT} + args); }

    static inline const SSpeechFiles* s_pFiles = nullptr;
    const CTempDir& s_dir = s_pFiles->dir;
    const SSpeech& s_speech = s_pFiles->speech;
    const SSpeech& s_long = s_pFiles->longer;
    CTempDir out;
};

class CliSilenceKinds : public CliSilence, public testing::WithParamInterface<const char*> {};

TEST_P(CliSilenceKinds, CutsInTheMiddleOfEveryPause)
{
    const CCommandResult r = Cut({"split", s_dir / GetParam(), "--silence", "--exact", "-o", out.Path()});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const std::vector<double> cuts = PrintedCuts(r.strOut);
    ASSERT_EQ(cuts.size(), s_speech.pauses.size()) << r.strOut;
    for (size_t i = 0; i < cuts.size(); ++i)
        EXPECT_NEAR(cuts[i], (s_speech.pauses[i].first + s_speech.pauses[i].second) / 2.0 / kRate, 0.020) << i;
    EXPECT_EQ(out.List().size(), cuts.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(WavAndMp3, CliSilenceKinds, testing::Values("speech.wav", "speech.mp3"),
                         [](const auto& p) { return std::string(p.param).substr(7); });

// Trimmed, each piece is its utterance: it starts where a pause ends and ends where the next starts.
TEST_F(CliSilence, TrimmedPiecesHoldOnlyTheSpeech)
{
    const CCommandResult r = Cut({"split", s_speech.strPath, "--silence", "--exact", "--trim", "-o", out.Path()});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const std::vector<uint64_t> ends = PieceEnds(out, "SPEECH", 4);
    for (size_t i = 0; i < 4; ++i) {
        const uint64_t nFrom = i == 0 ? 0 : s_speech.pauses[i - 1].second;
        const uint64_t nTo = i == 3 ? s_speech.nTotal : s_speech.pauses[i].first;
        EXPECT_NEAR(static_cast<double>(ends[i] - (i == 0 ? 0 : ends[i - 1])), static_cast<double>(nTo - nFrom),
                    0.040 * kRate) << i;
    }
}

// A saved selection loses the silence at its ends; one that is all silence is refused.
TEST_F(CliSilence, SaveTrimsTheSelection)
{
    const double dPauseEnd = static_cast<double>(s_speech.pauses[0].second) / kRate;
    const CCommandResult r =
        Cut({"save", s_speech.strPath, "--from", "0.5", "--to", "1.2", "--exact", "--trim", "-o", out / "a.wav"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_NEAR(static_cast<double>(ReadWrittenWav(out / "a.wav").nDataSize / kFrame) / kRate, 1.2 - dPauseEnd, 0.020);
    const CCommandResult silent =
        Cut({"save", s_speech.strPath, "--from", "0.4", "--to", "0.9", "--exact", "--trim", "-o", out / "b.wav"});
    EXPECT_EQ(silent.nExit, 1);
    EXPECT_NE(silent.strErr.find("nothing but silence; nothing was written"), std::string::npos) << silent.strErr;
    EXPECT_EQ(out.List(), Args{"a.wav"});
}

// Every cut of an equal split moves into a pause within reach (exactly, or on
// a whole second inside one); a cut with none stays where it was and is named.
TEST_F(CliSilence, SnapMovesEqualCutsIntoPausesOrNamesThem)
{
    const CCutPlan equal = PlanEqual(ECutRule::Exact, s_long.nTotal, 7, 0);
    for (const auto& [pReach, bExact] : {std::pair{"10", true}, {"10", false}, {"0.001", true}}) {
        CTempDir base;
        Args args{"shred", s_long.strPath, "-n", "7", "--snap", pReach, "--base", base.Path() + "/"};
        if (bExact)
            args.push_back("--exact");
        const CCommandResult r = Cut(args);
        ASSERT_EQ(r.nExit, 0) << r.strErr;
        const std::vector<uint64_t> ends = PieceEnds(base, "LONG", 7);
        size_t nNamed = 0;
        for (size_t i = 0; i + 1 < ends.size(); ++i) {
            if (s_long.InPause(ends[i]) && (bExact || ends[i] % kRate == 0))
                continue;
            ++nNamed;
            EXPECT_EQ(ends[i], equal.pieces[i].nTo) << pReach << " " << i;
            EXPECT_NE(r.strErr.find("s of the cut at " + FormatCutTime(static_cast<double>(ends[i]) / kRate)),
                      std::string::npos) << r.strErr;
        }
        EXPECT_EQ(Lines(r.strErr).size(), nNamed) << r.strErr;
        EXPECT_EQ(nNamed > 0, pReach[0] == '0') << "within 1 ms some equal cuts lie in the speech";
        EXPECT_EQ(ends.back(), s_long.nTotal);
    }
}

struct SRefusal {
    const char* name;
    Args args;
    int nExit;
    std::string strErrStart;
};

// song.wav is 10 s of sound with no pause.
const SRefusal kRefusals[] = {
    {"ThresholdTooLow", {"split", "song.wav", "--silence", "--threshold", "-400dB"}, 2, "invalid threshold '-400dB'"},
    {"ThresholdNotANumber", {"split", "song.wav", "--silence", "--threshold=abc"}, 2, "invalid threshold 'abc'"},
    {"ThresholdAboveFullScale", {"shred", "song.wav", "-n", "2", "--trim", "--threshold", "3"}, 2, "invalid threshold"},
    {"NegativeMinSilence", {"split", "song.wav", "--silence", "--min-silence", "-1"}, 2,
     "invalid time '-1' for --min-silence"},
    {"MinSilenceNotATime", {"split", "song.wav", "--silence", "--min-silence", "abc"}, 2, "invalid time 'abc'"},
    {"NoMinSilence", {"split", "song.wav", "--silence", "--min-silence", "0"}, 2, "invalid time '0' for --min-silence"},
    {"NegativeSnap", {"shred", "song.wav", "-n", "2", "--snap", "-1"}, 2, "invalid time '-1' for --snap"},
    {"BadMinPiece", {"split", "song.wav", "--silence", "--min-piece", "1:2:3:4"}, 2, "invalid time '1:2:3:4'"},
    {"SilenceAndTimes", {"split", "song.wav", "--silence", "--at", "3"}, 2, "split needs one of --at, --cue or"},
    {"ThresholdAlone", {"save", "song.wav", "--from", "0", "--to", "2", "-o", "o.wav", "--threshold", "-30"}, 2,
     "--threshold and --min-silence need"},
    {"MinPieceWithoutSilence", {"split", "song.wav", "--at", "3", "--min-piece", "1"}, 2, "--min-piece needs"},
    {"SnapOnSplit", {"split", "song.wav", "--silence", "--snap", "3"}, 2, "split does not take --snap"},
    {"NoSilenceWritesNothing", {"split", "song.wav", "--silence"}, 1,
     "song.wav: no silence below -40 dBFS lasting 0.5 s or more to cut at; nothing was written"},
};

class CliSilenceRefusal : public testing::TestWithParam<SRefusal> {};

TEST_P(CliSilenceRefusal, WritesNothing)
{
    CTempDir dir;
    WriteBytes(dir / "song.wav", BuildWav({}));
    const CCommandResult r = RunCommand(Args{"env", "-C", dir.Path(), TOLVANE_CUT} + GetParam().args);
    EXPECT_EQ(r.nExit, GetParam().nExit) << r.strErr;
    EXPECT_EQ(r.strErr.rfind("tolvane-cut: " + GetParam().strErrStart, 0), 0u) << r.strErr;
    EXPECT_EQ(dir.List(), Args{"song.wav"});
}

INSTANTIATE_TEST_SUITE_P(Table, CliSilenceRefusal, testing::ValuesIn(kRefusals), ByName);

} // namespace
