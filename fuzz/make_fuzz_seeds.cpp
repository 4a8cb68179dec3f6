// Writes the seed inputs of the fuzz targets: small valid WAV files of several
// formats, short MPEG audio streams with and without tags and information
// frames, and cut inputs made of a parameter prefix and one of those files.
//   make-fuzz-seeds DIR   writes DIR/fuzz_wav, DIR/fuzz_mp3 and DIR/fuzz_cut
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void PutU16LE(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32LE(Bytes& out, uint32_t v)
{
    PutU16LE(out, static_cast<uint16_t>(v));
    PutU16LE(out, static_cast<uint16_t>(v >> 16));
}

void PutU32BE(Bytes& out, uint32_t v)
{
    for (int nShift = 24; nShift >= 0; nShift -= 8)
        out.push_back(static_cast<unsigned char>(v >> nShift));
}

void PutText(Bytes& out, const char* p)
{
    out.insert(out.end(), p, p + std::strlen(p));
}

// Audio bytes that are not all alike, so that a misplaced copy shows.
void PutPattern(Bytes& out, size_t nCount)
{
    for (size_t i = 0; i < nCount; ++i)
        out.push_back(static_cast<unsigned char>(i * 7 + 3));
}

void PutChunk(Bytes& out, const char* pId, const Bytes& contents, bool bPad = true)
{
    PutText(out, pId);
    PutU32LE(out, static_cast<uint32_t>(contents.size()));
    out.insert(out.end(), contents.begin(), contents.end());
    if (bPad && contents.size() % 2 != 0)
        out.push_back(0);
}

struct SWave {
    uint16_t nFormat = 1;
    uint16_t nChannels = 1;
    uint32_t nRate = 8000;
    uint16_t nBits = 8;
    uint16_t nBlockAlign = 0; // 0: channels × bits ÷ 8
    uint32_t nAvgBytes = 0;   // 0: rate × block align
    Bytes extra{};            // after the PCM fields; its size field is written when not PCM
    bool bSizeField = false;  // write a 0 size field even with no extra bytes
    uint32_t nFrames = 100;
    bool bFact = false;
    Bytes before{};           // chunks between fmt and data
    bool bStreamingSize = false; // data and RIFF sizes 0xFFFFFFFF
};

Bytes MakeWave(const SWave& w)
{
    const uint16_t nAlign = w.nBlockAlign ? w.nBlockAlign : static_cast<uint16_t>(w.nChannels * w.nBits / 8);
    Bytes fmt;
    PutU16LE(fmt, w.nFormat);
    PutU16LE(fmt, w.nChannels);
    PutU32LE(fmt, w.nRate);
    PutU32LE(fmt, w.nAvgBytes ? w.nAvgBytes : w.nRate * nAlign);
    PutU16LE(fmt, nAlign);
    PutU16LE(fmt, w.nBits);
    if (!w.extra.empty() || w.bSizeField) {
        PutU16LE(fmt, static_cast<uint16_t>(w.extra.size()));
        fmt.insert(fmt.end(), w.extra.begin(), w.extra.end());
    }

    Bytes body;
    PutText(body, "WAVE");
    PutChunk(body, "fmt ", fmt);
    if (w.bFact) {
        Bytes fact;
        PutU32LE(fact, w.nFrames);
        PutChunk(body, "fact", fact);
    }
    body.insert(body.end(), w.before.begin(), w.before.end());
    const uint32_t nDataBytes = w.nFrames * nAlign;
    PutText(body, "data");
    PutU32LE(body, w.bStreamingSize ? UINT32_MAX : nDataBytes);
    PutPattern(body, nDataBytes);

    Bytes out;
    PutText(out, "RIFF");
    PutU32LE(out, w.bStreamingSize ? UINT32_MAX : static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// MPEG audio frames: the header, zero side information and a pattern after it.
struct SStream {
    unsigned nVersion = 3; // header field: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    unsigned nLayer = 1;   // header field: 1 Layer III, 2 Layer II, 3 Layer I
    unsigned nBitrateIndex = 1;
    unsigned nRateIndex = 0;
    unsigned nKbps = 32; // what nBitrateIndex stands for
    unsigned nHz = 44100; // what nRateIndex stands for
    bool bMono = false;
    bool bCrc = false;
    unsigned nFrames = 10;
};

Bytes FrameHeader(const SStream& s, bool bPadding)
{
    return {0xFF, static_cast<unsigned char>(0xE0 | s.nVersion << 3 | s.nLayer << 1 | (s.bCrc ? 0 : 1)),
            static_cast<unsigned char>(s.nBitrateIndex << 4 | s.nRateIndex << 2 | (bPadding ? 2 : 0)),
            static_cast<unsigned char>((s.bMono ? 0xC0 : 0x00) | 0x04)};
}

unsigned FrameBytes(const SStream& s, bool bPadding)
{
    const unsigned nBits = s.nKbps * 1000;
    const unsigned nPad = bPadding ? 1 : 0;
    if (s.nLayer == 3)
        return (12 * nBits / s.nHz + nPad) * 4;
    const unsigned nFactor = s.nLayer == 1 && s.nVersion != 3 ? 72 : 144;
    return nFactor * nBits / s.nHz + nPad;
}

Bytes MakeFrame(const SStream& s, bool bPadding)
{
    Bytes frame = FrameHeader(s, bPadding);
    if (s.bCrc) {
        frame.push_back(0x12);
        frame.push_back(0x34);
    }
    const size_t nSideInfo = s.nLayer != 1 ? 0 : s.nVersion == 3 ? (s.bMono ? 17 : 32) : (s.bMono ? 9 : 17);
    frame.resize(frame.size() + nSideInfo, 0);
    PutPattern(frame, FrameBytes(s, bPadding) - frame.size());
    return frame;
}

// Every third frame padded, as a constant-rate stream at 44.1 kHz would be.
Bytes MakeStream(const SStream& s)
{
    Bytes out;
    for (unsigned i = 0; i < s.nFrames; ++i) {
        const Bytes frame = MakeFrame(s, s.nHz == 44100 && i % 3 == 2);
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

// The first frame of a Layer III stream carrying a "Xing"/"Info" or "VBRI" tag.
Bytes MakeInfoFrame(const SStream& s, const char* pTag, uint32_t nFrames, uint32_t nBytes)
{
    Bytes frame = MakeFrame(s, false);
    Bytes tag;
    size_t nAt = 0;
    if (std::strcmp(pTag, "VBRI") == 0) {
        nAt = 4 + 32;
        PutText(tag, "VBRI");
        tag.insert(tag.end(), {0, 1, 0, 0, 0, 75});
        PutU32BE(tag, nBytes);
        PutU32BE(tag, nFrames);
    } else {
        nAt = 4 + (s.bCrc ? 2 : 0) + (s.nVersion == 3 ? (s.bMono ? 17 : 32) : (s.bMono ? 9 : 17));
        PutText(tag, pTag);
        PutU32BE(tag, 3); // frames and bytes present
        PutU32BE(tag, nFrames);
        PutU32BE(tag, nBytes);
    }
    std::copy(tag.begin(), tag.end(), frame.begin() + static_cast<std::ptrdiff_t>(nAt));
    return frame;
}

Bytes WithInfoFrame(const SStream& s, const char* pTag)
{
    const Bytes audio = MakeStream(s);
    Bytes out = MakeInfoFrame(s, pTag, s.nFrames, 0);
    const uint32_t nTotal = static_cast<uint32_t>(out.size() + audio.size());
    out = MakeInfoFrame(s, pTag, s.nFrames, nTotal);
    out.insert(out.end(), audio.begin(), audio.end());
    return out;
}

Bytes Id3v1Tag()
{
    Bytes tag;
    PutText(tag, "TAG");
    const char* fields[] = {"Seed title", "Seed artist", "Seed album"};
    for (const char* p : fields) {
        Bytes field(30, 0);
        std::memcpy(field.data(), p, std::strlen(p));
        tag.insert(tag.end(), field.begin(), field.end());
    }
    PutText(tag, "2024");
    Bytes comment(30, 0);
    comment[29] = 1; // ID3v1.1 track number
    tag.insert(tag.end(), comment.begin(), comment.end());
    tag.push_back(12);
    return tag;
}

// An ID3v2 tag with one text frame; nMajor 3 or 4, the footer only for 4.
Bytes Id3v2Tag(unsigned nMajor, bool bFooter)
{
    Bytes frame;
    PutText(frame, "TIT2");
    const char* pTitle = "\x03Seed title";
    const auto nText = static_cast<uint32_t>(std::strlen(pTitle));
    PutU32BE(frame, nText); // below 128: the same as a syncsafe size
    frame.insert(frame.end(), {0, 0});
    PutText(frame, pTitle);
    frame.resize(frame.size() + 16, 0); // padding

    const auto nSize = static_cast<uint32_t>(frame.size());
    auto header = [&](const char* pId) {
        Bytes h;
        PutText(h, pId);
        h.push_back(static_cast<unsigned char>(nMajor));
        h.push_back(0);
        h.push_back(bFooter ? 0x10 : 0);
        for (int nShift = 21; nShift >= 0; nShift -= 7)
            h.push_back(static_cast<unsigned char>((nSize >> nShift) & 0x7F));
        return h;
    };
    Bytes out = header("ID3");
    out.insert(out.end(), frame.begin(), frame.end());
    if (bFooter) {
        const Bytes footer = header("3DI");
        out.insert(out.end(), footer.begin(), footer.end());
    }
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct SSeed {
    std::string strName;
    Bytes bytes;
};

std::vector<SSeed> WaveSeeds()
{
    Bytes list;
    Bytes info;
    PutText(info, "INFO");
    PutChunk(info, "INAM", Bytes{'S', 'e', 'e', 'd', 0}); // odd size, padded
    PutChunk(list, "LIST", info);
    Bytes odd;
    PutChunk(odd, "junk", Bytes{1, 2, 3}, false); // odd size, no pad byte

    std::vector<SSeed> seeds;
    seeds.push_back({"pcm8_mono_8k.wav", MakeWave({})});
    seeds.push_back({"pcm16_stereo_44k.wav", MakeWave({.nChannels = 2, .nRate = 44100, .nBits = 16})});
    // Low rates make whole seconds of a few hundred bytes, so cuts move data.
    seeds.push_back({"pcm8_mono_50hz.wav", MakeWave({.nRate = 50, .nFrames = 1000})});
    seeds.push_back({"pcm24_mono_100hz.wav", MakeWave({.nRate = 100, .nBits = 24, .nFrames = 800})});
    seeds.push_back({"float32_stereo_fact.wav",
                     MakeWave({.nFormat = 3, .nChannels = 2, .nRate = 64, .nBits = 32, .bSizeField = true,
                               .nFrames = 300, .bFact = true})});
    Bytes extensible;
    PutU16LE(extensible, 16);      // valid bits
    PutU32LE(extensible, 3);       // channel mask
    extensible.insert(extensible.end(), // the PCM subformat
                      {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    seeds.push_back({"extensible_16_stereo.wav",
                     MakeWave({.nFormat = 0xFFFE, .nChannels = 2, .nRate = 200, .nBits = 16, .extra = extensible,
                               .nFrames = 400})});
    Bytes ima;
    PutU16LE(ima, 505); // samples per block
    seeds.push_back({"ima_adpcm_fact.wav",
                     MakeWave({.nFormat = 0x11, .nRate = 8000, .nBits = 4, .nBlockAlign = 256,
                               .nAvgBytes = 256 * 8000 / 505, .extra = ima,
                               .nFrames = 8, .bFact = true})});
    seeds.push_back({"mulaw_list_odd_chunks.wav",
                     MakeWave({.nFormat = 7, .nRate = 100, .nFrames = 900, .before = Concat({list, odd})})});
    seeds.push_back({"pcm16_streaming_sizes.wav",
                     MakeWave({.nChannels = 2, .nRate = 100, .nBits = 16, .nFrames = 500, .bStreamingSize = true})});
    return seeds;
}

std::vector<SSeed> Mp3Seeds()
{
    const SStream mpeg1{.nBitrateIndex = 1, .nRateIndex = 2, .nKbps = 32, .nHz = 32000, .nFrames = 12};
    const SStream mpeg1Padded{.nBitrateIndex = 1, .nRateIndex = 0, .nKbps = 32, .nHz = 44100, .nFrames = 12};
    const SStream mpeg2Mono{.nVersion = 2, .nBitrateIndex = 1, .nRateIndex = 2, .nKbps = 8, .nHz = 16000,
                            .bMono = true, .nFrames = 60};
    const SStream mpeg25{.nVersion = 0, .nBitrateIndex = 1, .nRateIndex = 2, .nKbps = 8, .nHz = 8000, .nFrames = 40};
    const SStream layer2{.nLayer = 2, .nBitrateIndex = 1, .nRateIndex = 1, .nKbps = 32, .nHz = 48000, .nFrames = 20};
    const SStream layer1{.nLayer = 3, .nBitrateIndex = 1, .nRateIndex = 1, .nKbps = 32, .nHz = 48000, .nFrames = 40};
    const SStream crc{.nBitrateIndex = 1, .nRateIndex = 2, .nKbps = 32, .nHz = 32000, .bCrc = true, .nFrames = 12};

    Bytes garbage;
    PutPattern(garbage, 37);
    garbage[5] = 0xFF; // a false sync on the way

    std::vector<SSeed> seeds;
    seeds.push_back({"mpeg1_l3_32k.mp3", MakeStream(mpeg1)});
    seeds.push_back({"mpeg1_l3_44k_padded.mp3", MakeStream(mpeg1Padded)});
    seeds.push_back({"mpeg2_l3_mono.mp3", MakeStream(mpeg2Mono)});
    seeds.push_back({"mpeg25_l3.mp3", MakeStream(mpeg25)});
    seeds.push_back({"mpeg1_l2.mp3", MakeStream(layer2)});
    seeds.push_back({"mpeg1_l1.mp3", MakeStream(layer1)});
    seeds.push_back({"mpeg1_l3_crc.mp3", MakeStream(crc)});
    seeds.push_back({"id3v1.mp3", Concat({MakeStream(mpeg1), Id3v1Tag()})});
    seeds.push_back({"id3v23.mp3", Concat({Id3v2Tag(3, false), MakeStream(mpeg25)})});
    seeds.push_back({"id3v24_footer_id3v1.mp3", Concat({Id3v2Tag(4, true), MakeStream(mpeg2Mono), Id3v1Tag()})});
    seeds.push_back({"two_id3v2.mp3", Concat({Id3v2Tag(3, false), Id3v2Tag(4, false), MakeStream(mpeg1)})});
    seeds.push_back({"xing.mp3", WithInfoFrame(mpeg1, "Xing")});
    seeds.push_back({"xing_mono_mpeg2_id3.mp3",
                     Concat({Id3v2Tag(3, false), WithInfoFrame(mpeg2Mono, "Xing"), Id3v1Tag()})});
    seeds.push_back({"info.mp3", WithInfoFrame(mpeg1, "Info")});
    seeds.push_back({"vbri.mp3", WithInfoFrame(mpeg1, "VBRI")});
    seeds.push_back({"garbage_first.mp3", Concat({garbage, MakeStream(mpeg1)})});
    return seeds;
}

// A cut input: the prefix FuzzCut reads, then the file.
SSeed CutSeed(const SSeed& file, bool bMp3, unsigned nFragments, unsigned nOverlap, int8_t nStart, int8_t nEnd,
              int8_t nSecsPerStep)
{
    Bytes bytes{static_cast<unsigned char>((bMp3 ? 1 : 0) | (nFragments - 2) << 1 | nOverlap << 3),
                static_cast<unsigned char>(nStart), static_cast<unsigned char>(nEnd),
                static_cast<unsigned char>(nSecsPerStep)};
    bytes.insert(bytes.end(), file.bytes.begin(), file.bytes.end());
    const std::string strStem = file.strName.substr(0, file.strName.rfind('.'));
    return {"cut_" + strStem + "_" + std::to_string(nFragments) + "_" + std::to_string(nOverlap), bytes};
}

std::vector<SSeed> CutSeeds(const std::vector<SSeed>& waves, const std::vector<SSeed>& mp3s)
{
    std::vector<SSeed> seeds;
    auto find = [](const std::vector<SSeed>& from, const std::string& strName) -> const SSeed& {
        for (const SSeed& seed : from)
            if (seed.strName == strName)
                return seed;
        std::fprintf(stderr, "make-fuzz-seeds: no seed %s\n", strName.c_str());
        std::exit(1);
    };
    seeds.push_back(CutSeed(find(waves, "pcm8_mono_50hz.wav"), false, 5, 3, 2, 15, 1));
    seeds.push_back(CutSeed(find(waves, "pcm24_mono_100hz.wav"), false, 3, 1, 1, 127, 1));
    seeds.push_back(CutSeed(find(waves, "float32_stereo_fact.wav"), false, 2, 2, 4, 0, 2));
    seeds.push_back(CutSeed(find(waves, "mulaw_list_odd_chunks.wav"), false, 4, 2, -1, 6, 1));
    seeds.push_back(CutSeed(find(waves, "pcm16_streaming_sizes.wav"), false, 2, 1, 0, 3, 127));
    seeds.push_back(CutSeed(find(waves, "ima_adpcm_fact.wav"), false, 3, 0, 0, 1, 1));
    seeds.push_back(CutSeed(find(mp3s, "mpeg25_l3.mp3"), true, 3, 1, 0, 2, 1));
    seeds.push_back(CutSeed(find(mp3s, "xing_mono_mpeg2_id3.mp3"), true, 4, 1, 1, 3, 1));
    seeds.push_back(CutSeed(find(mp3s, "id3v1.mp3"), true, 2, 0, 0, 127, 1));
    seeds.push_back(CutSeed(find(mp3s, "vbri.mp3"), true, 5, 3, -128, 1, 1));
    seeds.push_back(CutSeed(find(mp3s, "garbage_first.mp3"), true, 2, 2, 0, 1, 127));
    return seeds;
}

bool WriteSeeds(const std::filesystem::path& dir, const std::vector<SSeed>& seeds)
{
    std::filesystem::create_directories(dir);
    for (const SSeed& seed : seeds) {
        std::ofstream out(dir / seed.strName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make-fuzz-seeds: cannot write %s\n", (dir / seed.strName).c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const std::vector<SSeed> waves = WaveSeeds();
    const std::vector<SSeed> mp3s = Mp3Seeds();
    const bool bOk = WriteSeeds(dir / "fuzz_wav", waves) && WriteSeeds(dir / "fuzz_mp3", mp3s) &&
                     WriteSeeds(dir / "fuzz_cut", CutSeeds(waves, mp3s));
    return bOk ? 0 : 1;
}
