#include "doubles/FakeUi.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/QtWindow.h"
#include "split/OverlapSetting.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

QString QPath(const std::string& strPath)
{
    return QString::fromStdString(strPath);
}

template <typename T>
T* ByControlId(QWidget& root, int nId)
{
    for (QWidget* w : root.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == nId)
            return qobject_cast<T*>(w);
    return nullptr;
}

// Message boxes that record their text and the widget that owns them.
class CRecordingBoxes : public IMessageBoxes {
public:
    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons) override
    {
        texts.push_back(strText);
        captions.push_back(strCaption);
        icons.push_back(icon);
        owners.push_back(CQtWnd::WidgetOf(pOwner));
        return EMsgAnswer::Ok;
    }
    std::vector<std::string> texts, captions;
    std::vector<EMsgIcon> icons;
    std::vector<QWidget*> owners;
};

// The dialog, shown, with its controls at hand.
struct CShownDlg {
    CShownDlg(ISettings& settings, IMessageBoxes& boxes, uint32_t nStart)
        : dlg(nStart, true, settings, boxes, nullptr), pEdit(ByControlId<QLineEdit>(dlg, 1034)),
          pArrows(ByControlId<QScrollBar>(dlg, 1033)), pSave(ByControlId<QCheckBox>(dlg, 1042)),
          pOk(ByControlId<QPushButton>(dlg, 1)), pCancel(ByControlId<QPushButton>(dlg, 2))
    {
        dlg.show();
    }
    void Up() { pArrows->triggerAction(QAbstractSlider::SliderSingleStepSub); }
    void Down() { pArrows->triggerAction(QAbstractSlider::SliderSingleStepAdd); }
    // Types into the field as the keyboard would, over whatever it holds.
    void Type(const QString& strText)
    {
        pEdit->selectAll();
        Key(Qt::Key_Backspace);
        for (const QChar c : strText) {
            QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(pEdit, &press);
        }
    }
    void Key(int nKey)
    {
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
        QCoreApplication::sendEvent(pEdit, &press);
    }

    COverlapDlg dlg;
    QLineEdit* pEdit;
    QScrollBar* pArrows;
    QCheckBox* pSave;
    QPushButton* pOk;
    QPushButton* pCancel;
};

class OverlapDlgTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    CQtSettings m_settings{QPath(m_dir / "conf/Tolvane/Tolvane.conf")};
    CRecordingBoxes m_boxes;
};

} // namespace

TEST(OverlapQtSettings, SavedValueIsReadByANewStore)
{
    CTempDir dir;
    const QString strPath = QPath(dir / "a/b/Tolvane.conf");
    EXPECT_EQ(CQtSettings(strPath).GetUInt32("Overlap time"), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(strPath)); // reading makes nothing
    EXPECT_EQ(CQtSettings(strPath).SetUInt32("Overlap time", 125), ESettingsWrite::Ok);
    EXPECT_TRUE(QFileInfo(strPath).isFile());
    EXPECT_EQ(CQtSettings(strPath).GetUInt32("Overlap time"), 125u);
    EXPECT_EQ(CQtSettings(strPath).SetUInt32("Overlap time", 4294967295u), ESettingsWrite::Ok);
    CQtSettings reread(strPath);
    EXPECT_EQ(reread.GetUInt32("Overlap time"), 4294967295u);
    EXPECT_EQ(ReadOverlap(reread), 4294967295u);
    EXPECT_EQ(reread.GetUInt32("Other"), std::nullopt);
}

TEST(OverlapQtSettings, UnreadableValuesAreMissing)
{
    CTempDir dir;
    const QString strPath = QPath(dir / "Tolvane.conf");
    for (const QString& strStored : {QStringLiteral("abc"), QStringLiteral("-1"), QStringLiteral("4294967296"),
                                     QStringLiteral(""), QStringLiteral("12 "), QStringLiteral("1.5")}) {
        {
            QSettings raw(strPath, QSettings::IniFormat);
            raw.setValue(QStringLiteral("Overlap time"), strStored);
        }
        CQtSettings settings(strPath);
        EXPECT_EQ(settings.GetUInt32("Overlap time"), std::nullopt) << strStored.toStdString();
        EXPECT_EQ(ReadOverlap(settings), 0u);
    }
}

TEST(OverlapQtSettings, DefaultFileIsInTheUsersConfigurationFolder)
{
    EXPECT_EQ(CQtSettings().GetPath(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                           QStringLiteral("/Tolvane/Tolvane.conf"));
}

TEST(OverlapQtSettings, StoreThatCannotBeMadeIsReported)
{
    CTempDir dir;
    WriteBytes(dir / "plain", {'x'});
    std::filesystem::create_directories(dir / "folder/Tolvane.conf");
    for (const std::string& strPath : {dir / "plain/Tolvane/Tolvane.conf", dir / "folder/Tolvane.conf"}) {
        CQtSettings settings(QPath(strPath));
        EXPECT_EQ(settings.SetUInt32("Overlap time", 5), ESettingsWrite::StoreUnavailable) << strPath;
        CFakeUi ui;
        EXPECT_FALSE(SaveOverlap(settings, 5, ui, nullptr));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].strText, "Unable to save overlap time.");
        EXPECT_EQ(ui.messages[0].strCaption, "Error");
        EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Exclamation);
    }
    EXPECT_EQ(ReadBytes(dir / "plain"), Bytes{'x'});
}

TEST_F(OverlapDlgTest, TabReachesFieldCheckBoxAndButtons)
{
    CShownDlg shown(m_settings, m_boxes, 10);
    QList<QWidget*> chain;
    QWidget* w = shown.pEdit;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
            chain << w;
        w = w->nextInFocusChain();
    } while (w != shown.pEdit && chain.size() < 20);
    EXPECT_EQ(chain, (QList<QWidget*>{shown.pEdit, shown.pSave, shown.pOk, shown.pCancel}));
}

TEST_F(OverlapDlgTest, StartsFromTheStoredOrTheGivenTime)
{
    ASSERT_EQ(m_settings.SetUInt32("Overlap time", 33), ESettingsWrite::Ok);
    struct SStart {
        std::optional<std::pair<uint32_t, bool>> given;
        uint32_t nExpected;
    };
    for (const SStart& start : {SStart{std::nullopt, 33}, SStart{std::pair{7u, true}, 7},
                                SStart{std::pair{7u, false}, 33}, SStart{std::pair{0u, true}, 0}}) {
        auto pDlg = start.given ? std::make_unique<COverlapDlg>(start.given->first, start.given->second, m_settings,
                                                                m_boxes, nullptr)
                                : std::make_unique<COverlapDlg>(m_settings, m_boxes, nullptr);
        EXPECT_EQ(pDlg->GetOverlap(), start.nExpected);
        pDlg->show();
        EXPECT_EQ(ByControlId<QLineEdit>(*pDlg, 1034)->text(), QString::number(start.nExpected));
    }
    CTempDir empty;
    CQtSettings missing(QPath(empty / "none/Tolvane.conf"));
    EXPECT_EQ(COverlapDlg(missing, m_boxes, nullptr).GetOverlap(), 0u);
    EXPECT_TRUE(m_boxes.texts.empty());
}

TEST_F(OverlapDlgTest, ArrowStepsStayAfterCancel)
{
    for (const bool bCloseBox : {false, true}) {
        CShownDlg shown(m_settings, m_boxes, 10);
        shown.Up();
        shown.Up();
        EXPECT_EQ(shown.pEdit->text(), QStringLiteral("12"));
        shown.Down();
        shown.Up();
        if (bCloseBox)
            shown.dlg.close();
        else
            shown.pCancel->click();
        EXPECT_EQ(shown.dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(shown.dlg.isVisible());
        EXPECT_EQ(shown.dlg.GetOverlap(), 12u);
    }
    EXPECT_EQ(m_settings.GetUInt32("Overlap time"), std::nullopt);
}

TEST_F(OverlapDlgTest, ArrowsStopAtZeroAndThreeHundred)
{
    struct SRun {
        uint32_t nStart;
        bool bUp;
        int nClicks;
        uint32_t nEnd;
    };
    for (const SRun& run : {SRun{298, true, 5, 300}, SRun{2, false, 5, 0}, SRun{500, true, 1, 500},
                            SRun{500, false, 1, 499}}) {
        CShownDlg shown(m_settings, m_boxes, run.nStart);
        const int nRest = shown.pArrows->value();
        for (int i = 0; i < run.nClicks; ++i)
            run.bUp ? shown.Up() : shown.Down();
        EXPECT_EQ(shown.dlg.GetOverlap(), run.nEnd) << run.nStart;
        EXPECT_EQ(shown.pEdit->text(), QString::number(run.nEnd));
        // The bar itself never moves, so both arrows keep working.
        EXPECT_EQ(shown.pArrows->value(), nRest);
        EXPECT_GT(nRest, shown.pArrows->minimum());
        EXPECT_LT(nRest, shown.pArrows->maximum());
    }
}

TEST_F(OverlapDlgTest, UpAndDownKeysInTheFieldWorkTheArrows)
{
    CShownDlg shown(m_settings, m_boxes, 10);
    shown.Key(Qt::Key_Up);
    shown.Key(Qt::Key_Up);
    shown.Key(Qt::Key_Down);
    EXPECT_EQ(shown.dlg.GetOverlap(), 11u);
    EXPECT_EQ(shown.pEdit->text(), QStringLiteral("11"));
}

TEST_F(OverlapDlgTest, CheckedBoxDisablesFieldAndArrows)
{
    CShownDlg shown(m_settings, m_boxes, 10);
    EXPECT_TRUE(shown.pEdit->isEnabled());
    shown.pSave->click();
    EXPECT_TRUE(shown.pSave->isChecked());
    EXPECT_FALSE(shown.pEdit->isEnabled());
    shown.Up();
    shown.Down();
    shown.Down();
    EXPECT_EQ(shown.dlg.GetOverlap(), 10u);
    EXPECT_EQ(shown.pEdit->text(), QStringLiteral("10"));
    shown.pSave->click();
    EXPECT_TRUE(shown.pEdit->isEnabled());
    shown.Up();
    EXPECT_EQ(shown.dlg.GetOverlap(), 11u);
}

TEST_F(OverlapDlgTest, OkTakesTheTypedNumber)
{
    struct SCase {
        QString strTyped;
        bool bSave;
        uint32_t nExpected;
    };
    for (const SCase& c : {SCase{QStringLiteral("500"), false, 500}, SCase{QStringLiteral("500"), true, 500},
                           SCase{QStringLiteral("5a0b"), false, 50}, SCase{QStringLiteral(""), false, 0},
                           SCase{QStringLiteral("99999999999"), false, 0}}) {
        CTempDir dir;
        CQtSettings settings(QPath(dir / "Tolvane/Tolvane.conf"));
        CShownDlg shown(settings, m_boxes, 10);
        shown.Type(c.strTyped);
        if (c.bSave)
            shown.pSave->click();
        shown.pOk->click();
        EXPECT_EQ(shown.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(shown.dlg.GetOverlap(), c.nExpected) << c.strTyped.toStdString();
        const auto stored = CQtSettings(QPath(dir / "Tolvane/Tolvane.conf")).GetUInt32("Overlap time");
        EXPECT_EQ(stored, c.bSave ? std::optional<uint32_t>(c.nExpected) : std::nullopt);
    }
    EXPECT_TRUE(m_boxes.texts.empty());
}

TEST_F(OverlapDlgTest, ArrowReplacesTheTypedText)
{
    CShownDlg shown(m_settings, m_boxes, 10);
    shown.Type(QStringLiteral("500"));
    EXPECT_EQ(shown.pEdit->text(), QStringLiteral("500"));
    shown.Up();
    EXPECT_EQ(shown.pEdit->text(), QStringLiteral("11"));
    shown.Type(QStringLiteral("7"));
    shown.Down();
    EXPECT_EQ(shown.pEdit->text(), QStringLiteral("10"));
}

TEST_F(OverlapDlgTest, FailedSaveIsShownOverTheDialogWhichStillEndsWithOk)
{
    CTempDir dir;
    WriteBytes(dir / "plain", {'x'});
    CQtSettings settings(QPath(dir / "plain/Tolvane/Tolvane.conf"));
    CShownDlg shown(settings, m_boxes, 10);
    shown.Type(QStringLiteral("500"));
    shown.pSave->click();
    shown.pOk->click();
    EXPECT_EQ(shown.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(shown.dlg.GetOverlap(), 500u);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Unable to save overlap time."});
    EXPECT_EQ(m_boxes.captions, std::vector<std::string>{"Error"});
    EXPECT_EQ(m_boxes.icons, std::vector<EMsgIcon>{EMsgIcon::Exclamation});
    EXPECT_EQ(m_boxes.owners, std::vector<QWidget*>{&shown.dlg});
}
