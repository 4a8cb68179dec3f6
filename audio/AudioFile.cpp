#include "audio/AudioFile.h"

#include "audio/AudioUi.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <array>

CAudioFile::CAudioFile(std::string strPath, CWnd* pParentWnd, IAudioUi& ui)
    : m_pParentWnd(pParentWnd), m_ui(ui)
{
    if (!m_file.Open(strPath, CFile::EMode::Read)) {
        m_nError = kStatusCannotOpen;
        return;
    }
    m_nError = m_file.GetLength() == 0 ? kStatusEmpty : kStatusOk;
}

CAudioFile::~CAudioFile() = default;

int32_t CAudioFile::ShredEqually()
{
    return 0;
}

int32_t CAudioFile::SaveSelection(std::string, int32_t, int32_t, int32_t)
{
    return 0;
}

void CAudioFile::ShowFileInformation() {}

std::string CAudioFile::GetDefaultExt() const
{
    return "*.ERR";
}

std::string CAudioFile::GetFilter() const
{
    return "All files (*.*) | *.*||";
}

int32_t CAudioFile::ReportError(CWnd* pOwner)
{
    if (m_nError != kStatusOk)
        m_ui.MessageBox(pOwner, LoadResString(static_cast<unsigned>(m_nError)), "Error", EMsgIcon::Stop,
                        EMsgButtons::Ok);
    return m_nError;
}

uint32_t CAudioFile::CopyData(CFile& output, uint32_t nCount, IShredProgress* pProgress)
{
    std::array<unsigned char, kCopyBlock> buffer;
    uint32_t nCopied = m_file.Read(buffer.data(), nCount % kCopyBlock);
    output.Write(buffer.data(), nCopied);
    while (nCopied < nCount) {
        if (pProgress)
            pProgress->StepFile();
        // Never more than asked for, even if the source grew meanwhile.
        const uint32_t nRead = m_file.Read(buffer.data(), std::min(kCopyBlock, nCount - nCopied));
        if (nRead == 0)
            return 0;
        output.Write(buffer.data(), nRead);
        nCopied += nRead;
    }
    return nCount;
}

bool CAudioFile::CreateOutput(CFile& output, const std::string& strPath)
{
    return output.Open(strPath, CFile::EMode::Create);
}
