#include "audio/AudioFile.h"

#include "audio/AudioUi.h"
#include "audio/CutPlanners.h"
#include "platform/FormatText.h"
#include "audio/FragmentNames.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <chrono>

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

// The bytes move in large kernel copies, several blocks at a time; the file
// bar is still stepped once for every whole block, before that block is
// copied (never for the short first block), and as often as a block-by-block
// copy would step it when the source ends early. Each kernel copy costs a
// fixed setup, so the batch grows while batches go fast and shrinks when one
// is slow: on a fast disk few large copies, on a slow one the bar still moves
// several times a second. Before each batch the progress window is asked
// whether the user cancelled, which also lets it repaint and take the click.
uint32_t CAudioFile::CopyData(CFile& output, uint32_t nCount, IShredProgress* pProgress)
{
    using Clock = std::chrono::steady_clock;
    constexpr uint64_t kMinBlocks = 100, kMaxBlocks = 12800; // 1 MB to 128 MB
    constexpr auto kFast = std::chrono::milliseconds(20), kSlow = std::chrono::milliseconds(100);
    constexpr uint64_t kCopyGrain = 1 << 20;
    const uint32_t nRemainder = nCount % kCopyBlock;
    const uint64_t nLength = m_file.GetLength();
    const uint64_t nPos = m_file.GetPosition();
    const uint64_t nReadable = std::min<uint64_t>(nCount, nLength > nPos ? nLength - nPos : 0);
    // Whole blocks that hold bytes to copy. The remainder travels with the
    // first batch, so the copies keep one phase within the pages.
    uint64_t nBlocks = nReadable > nRemainder ? (nReadable - nRemainder + kCopyBlock - 1) / kCopyBlock : 0;
    uint64_t nCopied = nBlocks == 0 ? m_file.TransferTo(output, nRemainder) : 0;
    uint64_t nPending = nBlocks == 0 ? 0 : nRemainder;
    uint64_t nBatchBlocks = kMinBlocks;
    while (nBlocks > 0) {
        if (pProgress && pProgress->IsCancelled())
            throw SCancelled{};
        const uint64_t nBatch = std::min<uint64_t>(nBlocks, nBatchBlocks);
        for (uint64_t i = 0; pProgress && i < nBatch; ++i)
            pProgress->StepFile();
        uint64_t nWant = nPending + std::min<uint64_t>(nBatch * kCopyBlock, nCount - nCopied - nPending);
        nBlocks -= nBatch;
        // Kernel copies run about half again as fast on ext4 when each one
        // moves a multiple of 1 MiB (the page cache's large folios then line
        // up from call to call): the bytes past the last whole MiB wait for
        // the next batch (their blocks were stepped with this one).
        nPending = nBlocks > 0 ? nWant % kCopyGrain : 0;
        nWant -= nPending;
        if (nWant == 0)
            continue;
        const auto start = Clock::now();
        const uint64_t nGot = m_file.TransferTo(output, nWant);
        const auto took = Clock::now() - start;
        nCopied += nGot;
        if (nGot < nWant)
            break;
        if (took < kFast)
            nBatchBlocks = std::min(nBatchBlocks * 2, kMaxBlocks);
        else if (took > kSlow)
            nBatchBlocks = std::max(nBatchBlocks / 2, kMinBlocks);
    }
    if (nCopied < nCount) {
        // The source ended: one more step before the read that found nothing.
        if (pProgress)
            pProgress->StepFile();
        return 0;
    }
    return nCount;
}

void CAudioFile::CopyAll(CFile& output, uint64_t nCount, IShredProgress* pProgress)
{
    // Whole blocks per piece after the first, so a long copy is stepped as one.
    constexpr uint64_t kPiece = UINT32_MAX - UINT32_MAX % kCopyBlock;
    uint64_t nPiece = nCount % kPiece != 0 ? nCount % kPiece : kPiece;
    while (nCount > 0) {
        if (CopyData(output, static_cast<uint32_t>(nPiece), pProgress) != nPiece)
            throw CFileException(CFileException::kSourceChanged, m_file.GetFilePath());
        nCount -= nPiece;
        nPiece = kPiece;
    }
}

bool CAudioFile::CreateOutput(CFile& output, const std::string& strPath)
{
    if (output.Open(strPath, CFile::EMode::Create))
        return true;
    m_strFailedOutput = strPath;
    m_strCreateError = output.GetOpenError();
    return false;
}

int32_t CAudioFile::WriteSelection(const std::string& strOutPath, const SByteSpan& span)
{
    m_bCancelled = false;
    if (!HoldsAudio(span))
        return RefuseNoAudio(strOutPath);
    CFile output;
    if (!CreateOutput(output, strOutPath)) {
        m_nError = kStatusCannotCreate;
        return m_nError;
    }
    auto pProgress = m_ui.CreateProgress(m_pParentWnd);
    pProgress->SetTotalFiles(1);
    pProgress->SetFileBytes(span.nTo - span.nFrom);
    pProgress->ShowFileNames(GetFileName(), output.GetFileName());
    pProgress->ShowFileNumber(1);
    try {
        WritePiece(output, span, pProgress.get());
    } catch (const SCancelled&) {
        output.Discard();
        pProgress->DestroyWindow();
        m_bCancelled = true;
        ReportCancelled({});
        return kStatusCancelled;
    }
    output.Close();
    pProgress->StepGross();
    pProgress->DestroyWindow();
    return kStatusOk;
}

int32_t CAudioFile::RefuseNoAudio(const std::string& strPath)
{
    m_strFailedOutput = strPath;
    m_strCreateError.clear();
    m_nError = kStatusNoAudio;
    return m_nError;
}

int32_t CAudioFile::ReportSelectionSaved(double dSeconds)
{
    m_ui.MessageBox(m_pParentWnd, FormatText(kSelectionSavedFormat, dSeconds), kSelectionSavedCaption,
                    EMsgIcon::Information, EMsgButtons::Ok);
    m_nError = kStatusOk;
    return m_nError;
}

uint32_t CAudioFile::AcceptedFragmentCount(const CShredAnswer& answer)
{
    // Every Shred Equally starts here: a cancelled one leaves no fragments
    // of an earlier split listed.
    m_emptyFragments.clear();
    m_writtenFragments.clear();
    m_bCancelled = false;
    if (!answer.bOk)
        return 0;
    const auto n = static_cast<uint32_t>(answer.nFragments);
    if (n > kMaxFragments) {
        m_ui.MessageBox(m_pParentWnd, kTooManyFragmentsText, "Error", EMsgIcon::None, EMsgButtons::Ok);
        return 0;
    }
    return n;
}

std::vector<std::string> CAudioFile::FragmentPaths(uint32_t n, const std::string& strBaseName,
                                                   const std::string& strExt) const
{
    const std::string strBase = FragmentBase(strBaseName, GetFilePath(), ToUpperUtf8(strExt));
    std::vector<std::string> paths;
    paths.reserve(n);
    for (uint32_t i = 1; i <= n; ++i)
        paths.push_back(FragmentPath(strBase, i, strExt));
    return paths;
}

int32_t CAudioFile::WriteExactFragments(uint32_t n, const std::string& strBaseName, const std::string& strExt,
                                        int32_t nOverlapSeconds)
{
    const uint64_t nLeadIn = uint64_t{GetFrameRate()} * static_cast<uint64_t>(std::max(0, nOverlapSeconds));
    CCutPlan plan = PlanEqual(ECutRule::Exact, GetTotalFrames(), n, nLeadIn);
    const std::vector<std::string> paths = FragmentPaths(n, strBaseName, strExt);
    for (uint32_t i = 0; i < n; ++i)
        plan.pieces[i].strPath = paths[i];
    return WritePlan(plan);
}

bool CAudioFile::SnapsToPauses(const CShredAnswer& answer) const
{
    return answer.bSnap && answer.nSnapSeconds > 0 && m_snapper != nullptr;
}

int32_t CAudioFile::WriteSnappedFragments(uint32_t n, const CShredAnswer& answer, const std::string& strExt)
{
    const uint64_t nRate = GetFrameRate();
    const ECutRule rule = m_bExactCuts ? ECutRule::Exact : ECutRule::WholeSeconds;
    const uint64_t nLeadIn = nRate * static_cast<uint64_t>(std::max(0, answer.nOverlap));
    CCutPlan plan = PlanEqual(rule, GetTotalFrames(), n, nLeadIn);
    const std::vector<std::string> paths = FragmentPaths(n, answer.strBaseName, strExt);
    for (uint32_t i = 0; i < n && i < plan.pieces.size(); ++i)
        plan.pieces[i].strPath = paths[i];
    const std::optional<CCutPlan> snapped = m_snapper(plan, nRate * static_cast<uint64_t>(answer.nSnapSeconds));
    return snapped ? CallerStatus(WritePlan(*snapped)) : kStatusOk;
}

int32_t CAudioFile::WriteSpans(const std::vector<std::string>& paths,
                               const std::vector<std::optional<SByteSpan>>& spans, uint64_t nFileBytes)
{
    m_bCancelled = false;
    const size_t nWrittenBefore = m_writtenFragments.size();
    auto pProgress = m_ui.CreateProgress(m_pParentWnd);
    pProgress->SetTotalFiles(static_cast<unsigned>(paths.size()));
    int32_t nStatus = kStatusOk;
    for (uint32_t i = 1; i <= paths.size(); ++i) {
        if (pProgress->IsCancelled()) {
            m_bCancelled = true;
            break;
        }
        CFile output;
        const std::string& strPath = paths[i - 1];
        if (!CreateOutput(output, strPath)) {
            m_nError = nStatus = kStatusCannotCreate;
            break;
        }
        pProgress->ShowFileNames(GetFileName(), output.GetFileName());
        pProgress->ShowFileNumber(i);
        if (const std::optional<SByteSpan>& span = spans[i - 1]) {
            pProgress->SetFileBytes(nFileBytes != 0 ? nFileBytes : span->nTo - span->nFrom);
            try {
                WritePiece(output, *span, pProgress.get());
            } catch (const SCancelled&) {
                output.Discard();
                m_bCancelled = true;
                break;
            }
            output.Close();
            m_writtenFragments.push_back(strPath);
        } else {
            output.Discard();
            m_emptyFragments.push_back(strPath);
        }
        pProgress->StepGross();
    }
    pProgress->DestroyWindow();
    if (m_bCancelled)
        ReportCancelled({m_writtenFragments.begin() + static_cast<std::ptrdiff_t>(nWrittenBefore),
                         m_writtenFragments.end()});
    return nStatus;
}

void CAudioFile::ReportCancelled(const std::vector<std::string>& written)
{
    std::string strText = LoadResString(kStatusCancelled) + " ";
    if (written.empty())
        strText += kCancelledNothingWrittenText;
    else
        strText += kCancelledWrittenText;
    for (const std::string& strPath : written)
        strText += "\n" + strPath;
    m_ui.MessageBox(m_pParentWnd, strText, kCancelledCaption, EMsgIcon::Information, EMsgButtons::Ok);
}

CAudioFile::SByteSpan CAudioFile::LocatePiece(const CPiece&, ECutRule)
{
    return {};
}

bool CAudioFile::HoldsAudio(const SByteSpan&)
{
    return false;
}

void CAudioFile::WritePiece(CFile&, const SByteSpan&, IShredProgress*) {}

int32_t CAudioFile::WritePlan(const CCutPlan& plan)
{
    m_emptyFragments.clear();
    m_writtenFragments.clear();
    m_bCancelled = false;
    std::vector<std::optional<SByteSpan>> spans;
    std::vector<std::string> paths;
    for (const CPiece& piece : plan.pieces) {
        spans.push_back(LocatePiece(piece, plan.rule));
        if (plan.rule == ECutRule::Exact)
            spans.back()->pPiece = &piece;
        if (!HoldsAudio(*spans.back()))
            return RefuseNoAudio(piece.strPath);
        paths.push_back(piece.strPath);
    }
    return WriteSpans(paths, spans, 0);
}

int32_t CAudioFile::SaveExactSelection(const std::string& strOutPath, uint64_t nFrom, uint64_t nTo)
{
    const CPiece piece{std::min(nFrom, nTo), std::max(nFrom, nTo), 0, strOutPath, {}};
    SByteSpan span = LocatePiece(piece, ECutRule::Exact);
    span.pPiece = &piece;
    if (const int32_t nStatus = WriteSelection(strOutPath, span); nStatus != kStatusOk)
        return CallerStatus(nStatus);
    const uint32_t nRate = GetFrameRate();
    return ReportSelectionSaved(nRate == 0 ? 0.0 : static_cast<double>(span.nFrames) / nRate);
}
