#include "split/ui/ShredEquallyDlg.h"

#include "platform/FileDialogs.h"
#include "platform/FormatText.h"
#include "platform/MessageBox.h"
#include "platform/ui/ArrowField.h"
#include "platform/ui/DialogFlags.h"
#include "platform/ui/KeyFilter.h"
#include "res/Messages.h"
#include "split/ShredChecks.h"
#include "split/ui/EstimateDlg.h"
#include "ui_ShredEquallyDlg.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

constexpr const char* kBrowseTitle = "Browse - Base filename";

// One arrow click on the number of fragments: up adds one (up to the largest
// number the field can hold), down takes one away while it stays at least 2.
uint32_t StepFragments(uint32_t nValue, int nStep)
{
    if (nStep > 0 && nValue < std::numeric_limits<uint32_t>::max())
        return nValue + 1;
    if (nStep < 0 && nValue > 2)
        return nValue - 1;
    return nValue;
}

QString QText(const std::string& strText) { return QString::fromStdString(strText); }

} // namespace

// The real Estimate window, over the Shred Equally dialog.
class CShredEquallyDlg::CEstimateOverDialog : public IEstimateWindow {
public:
    explicit CEstimateOverDialog(QWidget* pDialog) : m_pDialog(pDialog) {}
    bool Show(const std::array<std::string, 6>& lines) override
    {
        CEstimateDlg dlg(m_pDialog);
        return dlg.Show(lines);
    }

private:
    QWidget* m_pDialog;
};

CShredEquallyDlg::CShredEquallyDlg(const std::string& strSourceName, const std::string& strSourcePath,
                                   int32_t nOverlap, IShredDlgOwner& owner, IMessageBoxes& boxes, IFileDialogs& files,
                                   IEstimateWindow* pEstimate, QWidget* pOwner)
    : QDialog(pOwner, kDialogFlags),
      m_pUi(std::make_unique<Ui::ShredEquallyDlg>()),
      m_pOwnEstimate(pEstimate ? nullptr : std::make_unique<CEstimateOverDialog>(this)), m_owner(owner),
      m_boxes(boxes), m_files(files), m_estimate(pEstimate ? *pEstimate : *m_pOwnEstimate), m_wnd(this),
      m_strSourceName(strSourceName), m_strSourcePath(strSourcePath),
      m_nOverlap(static_cast<uint32_t>(std::max(0, nOverlap)))
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);

    m_pUi->topLine->setText(QText(FormatText("Shreding file - %s", m_strSourceName.c_str())));
    m_pUi->baseNameEdit->setMinimumWidth(m_pUi->baseNameEdit->fontMetrics().averageCharWidth() * 28);
    new CArrowField(m_pUi->countEdit, m_pUi->countArrows, 5, [this](int nStep) { OnArrow(nStep); });
    m_pUi->countEdit->setText(QStringLiteral("2"));

    connect(m_pUi->useOriginalCheck, &QCheckBox::toggled, this, &CShredEquallyDlg::OnUseOriginal);
    connect(m_pUi->snapCheck, &QCheckBox::toggled, m_pUi->snapSeconds, &QWidget::setEnabled);
    connect(m_pUi->browseButton, &QPushButton::clicked, this, &CShredEquallyDlg::OnBrowse);
    connect(m_pUi->shredButton, &QPushButton::clicked, this, &CShredEquallyDlg::OnShred);
    connect(m_pUi->estimateButton, &QPushButton::clicked, this, &CShredEquallyDlg::OnEstimate);
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_pUi->baseNameEdit->setFocus();
}

CShredEquallyDlg::~CShredEquallyDlg() = default;

CShredAnswer CShredEquallyDlg::GetAnswer() const
{
    CShredAnswer answer;
    answer.bOk = result() == QDialog::Accepted;
    answer.nFragments = ParseFragmentCount(m_strFragments);
    answer.strBaseName = m_strBaseName;
    answer.nOverlap = static_cast<int32_t>(std::min<uint32_t>(m_nOverlap, std::numeric_limits<int32_t>::max()));
    answer.bSnap = m_pUi->snapCheck->isChecked();
    answer.nSnapSeconds = answer.bSnap ? m_pUi->snapSeconds->value() : 0;
    return answer;
}

// The arrows step the number in the field; a field that holds no number, or
// one too large for 32 bits, counts as 0.
void CShredEquallyDlg::OnArrow(int nStep)
{
    m_pUi->countEdit->setText(QString::number(StepFragments(m_pUi->countEdit->text().toUInt(), nStep)));
}

void CShredEquallyDlg::OnUseOriginal(bool bChecked)
{
    m_pUi->baseNameEdit->setEnabled(!bChecked);
    m_pUi->baseNameEdit->setText(bChecked ? QText(m_strSourcePath) : QString());
}

// With "Use original filename" checked, the dialog starts from the source's
// name, and a different name chosen there is taken only when the user says
// so; otherwise the source's name is kept in the chosen folder.
void CShredEquallyDlg::OnBrowse()
{
    const bool bUseOriginal = m_pUi->useOriginalCheck->isChecked();
    const CFileDialogArgs args{kBrowseTitle, m_owner.GetFileFilter(), "", bUseOriginal ? m_strSourceName : ""};
    const std::optional<std::string> chosen = m_files.SaveFile(&m_wnd, args);
    if (!chosen)
        return;
    const QFileInfo chosenFile(QText(*chosen));
    QString strBaseName = QText(*chosen);
    if (bUseOriginal && chosenFile.fileName().compare(QText(m_strSourceName), Qt::CaseInsensitive) != 0 &&
        m_boxes.MessageBox(&m_wnd, kChangedNameQuestion, "Confirm", EMsgIcon::Question, EMsgButtons::YesNo) !=
            EMsgAnswer::Yes)
        strBaseName = QDir(chosenFile.path()).filePath(QText(m_strSourceName));
    m_pUi->baseNameEdit->setText(strBaseName);
}

void CShredEquallyDlg::OnShred()
{
    m_strBaseName = m_pUi->baseNameEdit->text().toStdString();
    if (m_strBaseName.empty()) {
        m_boxes.MessageBox(&m_wnd, kNoBaseNameText, "Error", EMsgIcon::None, EMsgButtons::Ok);
        return;
    }
    if (RunValidation() == kCheckOk)
        accept();
}

void CShredEquallyDlg::OnEstimate()
{
    RunValidation();
}

int CShredEquallyDlg::RunValidation()
{
    m_strFragments = m_pUi->countEdit->text().toStdString();
    const CValidation validation =
        ValidateAndEstimate(m_strFragments, m_nOverlap, {m_boxes, &m_wnd, m_owner, m_estimate});
    m_nOverlap = validation.nOverlap;
    return validation.nResult;
}

namespace {

template <typename Args>
CShredAnswer RunDialog(const Args& args, IShredDlgOwner& owner, IMessageBoxes& boxes, IFileDialogs& files,
                       QWidget* pOwner)
{
    CShredEquallyDlgOf<Args> dlg(args, owner, boxes, files, pOwner);
    dlg.exec();
    return dlg.GetAnswer();
}

} // namespace

CShredAnswer RunShredEquallyDialog(const CWaveShredArgs& args, IShredDlgOwner& owner, IMessageBoxes& boxes,
                                   IFileDialogs& files, QWidget* pOwner)
{
    return RunDialog(args, owner, boxes, files, pOwner);
}

CShredAnswer RunShredEquallyDialog(const CMp3ShredArgs& args, IShredDlgOwner& owner, IMessageBoxes& boxes,
                                   IFileDialogs& files, QWidget* pOwner)
{
    return RunDialog(args, owner, boxes, files, pOwner);
}
