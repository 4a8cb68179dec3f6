#include "platform/ui/QtFileDialogs.h"
#include "platform/ui/QtWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const CFileDialogArgs kOpen{"Open", "Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|"
                                    "Sound Files (*.wav;*.mp3)|*.wav;*.mp3|All Files (*.*)|*.*||", "*.WAV", ""};

// Four files in a folder; a window left open, such as a question, is turned down after a second.
struct FileDialogs : ::testing::Test {
    void SetUp() override
    {
        for (const char* pName : {"song.wav", "SONG.WAV", "a.mp3", "notes.txt"})
            WriteBytes(dir / pName, {'x'});
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (auto* pModal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                pModal->reject();
        });
        guard.start(1000);
    }
    QTimer guard;
    CTempDir dir;
    QWidget owner;
    CQtWnd wnd{&owner};
};

// The names the dialog lists in the folder, sorted and joined by spaces.
QString Listed(QFileDialog& dialog, const std::string& strDir)
{
    auto* pProxy = qobject_cast<QSortFilterProxyModel*>(dialog.proxyModel());
    auto* pFiles = qobject_cast<QFileSystemModel*>(pProxy->sourceModel());
    const QModelIndex parent = pProxy->mapFromSource(pFiles->index(QString::fromStdString(strDir)));
    QStringList names;
    for (int i = 0; i < pProxy->rowCount(parent); ++i)
        names << pProxy->index(i, 0, parent).data().toString();
    names.sort();
    return names.join(QLatin1Char(' '));
}

void AnswerWith(const QString& strName)
{
    QTimer::singleShot(0, [strName] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        pDialog->selectFile(strName);
        static_cast<QDialog*>(pDialog)->accept();
    });
}

} // namespace

TEST_F(FileDialogs, ListsEachChoiceWhateverTheCase)
{
    const auto pDialog = CQtFileDialogs::MakeDialog(&owner, kOpen, false);
    pDialog->setDirectory(QString::fromStdString(dir.Path()));
    auto* pCombo = pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(pCombo, nullptr);

    // Each filter choice in turn; the file model applies one asynchronously.
    for (const char* pNames :
         {"SONG.WAV song.wav", "a.mp3", "SONG.WAV a.mp3 song.wav", "SONG.WAV a.mp3 notes.txt song.wav"}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(*pDialog, dir.Path()) == QLatin1String(pNames); }, 3000))
            << pNames << " listed as " << Listed(*pDialog, dir.Path()).toStdString();
        QTest::keyClick(pCombo, Qt::Key_Down);
    }
}

// An existing file is saved over without a question; a bare name gets the extension.
TEST_F(FileDialogs, SaveReturnsTheChosenPathAtOnce)
{
    for (const auto& [strTyped, strReturned] : {std::pair{"song.wav", "song.wav"}, std::pair{"cut", "cut.wav"}}) {
        AnswerWith(QString::fromStdString(dir / strTyped));
        EXPECT_EQ(CQtFileDialogs().SaveFile(&wnd, {"Title", kOpen.strFilter, "*.WAV", "song.wav"}),
                  std::optional<std::string>(dir / strReturned)) << strTyped;
    }
}
