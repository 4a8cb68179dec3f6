#include "split/ShredProgressState.h"

#include "platform/FormatText.h"

void CStepBar::SetRange(int64_t nMin, int64_t nMax)
{
    m_nMin = nMin;
    m_nMax = nMax;
    if (m_nPos < nMin || m_nPos > nMax)
        m_nPos = nMin;
}

void CStepBar::StepIt()
{
    m_nPos += m_nStep;
    if (m_nPos > m_nMax)
        m_nPos = m_nMin;
}

void CShredProgressState::SetTotalFiles(unsigned nCount)
{
    m_nTotalFiles = nCount;
    m_grossBar.SetRange(0, nCount & 0xFFFFu); // the gross bar's range is 16-bit
    m_grossBar.SetStep(1);
    OnBarsChanged();
}

void CShredProgressState::SetFileBytes(uint64_t nBytes)
{
    if (m_nFileBytes != 0)
        return;
    m_nFileBytes = nBytes;
    m_fileBar.SetRange(0, static_cast<int64_t>(nBytes));
    m_fileBar.SetStep(10000);
    OnBarsChanged();
}

void CShredProgressState::StepGross()
{
    if (m_nTotalFiles == 0 || m_nFileBytes == 0)
        return;
    m_grossBar.StepIt();
    OnBarsChanged();
}

void CShredProgressState::StepFile()
{
    if (m_nTotalFiles == 0 || m_nFileBytes == 0)
        return;
    m_fileBar.StepIt();
    OnBarsChanged();
}

void CShredProgressState::ShowFileNames(std::string strSource, std::string strTarget)
{
    m_strLine1 = "Shreding " + strSource + " to " + strTarget;
    OnLinesChanged();
}

void CShredProgressState::ShowFileNumber(unsigned nNumber)
{
    m_strLine2 = FormatText("%u out of %u file(s)", nNumber, m_nTotalFiles);
    OnLinesChanged();
}
