#pragma once

#include "audio/ShredDialog.h"
#include "platform/ui/QtWindow.h"
#include "split/ShredValidation.h"

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

class IFileDialogs;
class IMessageBoxes;
namespace Ui {
class ShredEquallyDlg;
}

// The main window as the Shred Equally dialog reaches it.
class IShredDlgOwner : public IShredDialogOwner {
public:
    virtual std::string GetFileFilter() const = 0;
};

// The modal "Shred Equally" dialog: a base file name (typed, browsed for, or
// the source's own path), a number of fragments with arrows beside it, and
// whether to cut in pauses within a number of seconds (off at first; the
// seconds field is enabled only while it is on).
// Shred checks the number, warns about a long overlap, shows the estimate and
// ends with OK once it is confirmed; Estimate shows the estimate only. It has
// no OK button: it ends through Shred, Cancel or its close box.
//
// The two kinds, for WAV and MP3 files, differ only in how they check the
// number and estimate a fragment (ValidateAndEstimate).
class CShredEquallyDlg : public QDialog {
    Q_OBJECT
public:
    ~CShredEquallyDlg() override;

    // What the dialog ended with: OK only after a confirmed Shred, with the
    // number field's text as atoi converts it, the base file name as typed,
    // the overlap time the checks went on with, and the pause option (its
    // seconds 0 while it is off).
    CShredAnswer GetAnswer() const;

protected:
    // pEstimate: the Estimate window to ask; null shows the real one.
    CShredEquallyDlg(const std::string& strSourceName, const std::string& strSourcePath, int32_t nOverlap,
                     IShredDlgOwner& owner, IMessageBoxes& boxes, IFileDialogs& files, IEstimateWindow* pEstimate,
                     QWidget* pOwner);

    // The checks and the estimate for the number field's text, by kind of file,
    // starting from the overlap time the dialog holds.
    virtual CValidation ValidateAndEstimate(const std::string& strCount, uint32_t nOverlap,
                                            const CShredWindows& windows) = 0;

private:
    class CEstimateOverDialog;

    void OnArrow(int nStep);
    void OnUseOriginal(bool bChecked);
    void OnBrowse();
    void OnShred();
    void OnEstimate();
    int RunValidation();

    std::unique_ptr<Ui::ShredEquallyDlg> m_pUi;
    std::unique_ptr<IEstimateWindow> m_pOwnEstimate;
    IShredDlgOwner& m_owner;
    IMessageBoxes& m_boxes;
    IFileDialogs& m_files;
    IEstimateWindow& m_estimate;
    CQtWnd m_wnd;
    std::string m_strSourceName;
    std::string m_strSourcePath;
    std::string m_strFragments;
    std::string m_strBaseName;
    uint32_t m_nOverlap;
};

// The dialog of one kind of file: its checks and estimate take the file's
// arguments.
template <typename Args>
class CShredEquallyDlgOf : public CShredEquallyDlg {
public:
    CShredEquallyDlgOf(const Args& args, IShredDlgOwner& owner, IMessageBoxes& boxes, IFileDialogs& files,
                       QWidget* pOwner, IEstimateWindow* pEstimate = nullptr)
        : CShredEquallyDlg(args.strSourceName, args.strSourcePath, args.nOverlap, owner, boxes, files, pEstimate,
                           pOwner),
          m_args(args)
    {
    }

protected:
    CValidation ValidateAndEstimate(const std::string& strCount, uint32_t nOverlap,
                                    const CShredWindows& windows) override
    {
        return ::ValidateAndEstimate(strCount, m_args, nOverlap, windows);
    }

private:
    Args m_args;
};

using CWaveShredEquallyDlg = CShredEquallyDlgOf<CWaveShredArgs>;
using CMp3ShredEquallyDlg = CShredEquallyDlgOf<CMp3ShredArgs>;

// Runs the dialog of the file's kind modally, owned by pOwner, and returns how
// it ended.
CShredAnswer RunShredEquallyDialog(const CWaveShredArgs& args, IShredDlgOwner& owner, IMessageBoxes& boxes,
                                   IFileDialogs& files, QWidget* pOwner);
CShredAnswer RunShredEquallyDialog(const CMp3ShredArgs& args, IShredDlgOwner& owner, IMessageBoxes& boxes,
                                   IFileDialogs& files, QWidget* pOwner);
