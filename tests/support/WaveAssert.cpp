#include "support/WaveAssert.h"

#include "support/TempDir.h"
#include "support/WavBuilder.h"

CWrittenWav ReadWrittenWav(const std::string& strPath, size_t nHeaderBytes)
{
    const auto bytes = ReadBytes(strPath);
    CWrittenWav w;
    if (bytes.size() < nHeaderBytes)
        return w;
    w.nRiffSize = GetU32(bytes, 4);
    w.nFormatSize = GetU32(bytes, 16);
    w.nDataSize = GetU32(bytes, nHeaderBytes - 4);
    w.audio.assign(bytes.begin() + static_cast<long>(nHeaderBytes), bytes.end());
    return w;
}

bool IsSourceAudio(const std::vector<unsigned char>& audio, uint64_t nFrom)
{
    for (size_t k = 0; k < audio.size(); ++k)
        if (audio[k] != AudioByte(nFrom + k))
            return false;
    return true;
}
