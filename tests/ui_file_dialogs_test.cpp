#include "platform/ui/QtFileDialogs.h"
#include "platform/ui/QtWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const CFileDialogArgs kOpen{"Open", "Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|"
                                    "Sound Files (*.wav;*.mp3)|*.wav;*.mp3|All Files (*.*)|*.*||", "*.WAV", ""};

struct FileDialogs : ::testing::Test {
    void SetUp() override
    {
        for (const char* pName : {"song.wav", "SONG.WAV", "a.mp3", "notes.txt"})
            WriteBytes(dir / pName, {'x'});
        // A question over the dialog is turned down, then the dialog: the test sees nothing chosen.
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

// The names the dialog lists in its directory, sorted, once the folder has loaded.
QStringList Listed(QFileDialog& dialog, const std::string& strDir)
{
    auto* pProxy = qobject_cast<QSortFilterProxyModel*>(dialog.proxyModel());
    auto* pFiles = qobject_cast<QFileSystemModel*>(pProxy->sourceModel());
    const QModelIndex dirIndex = pFiles->index(QString::fromStdString(strDir));
    for (int nWait = 0; nWait < 100 && pFiles->rowCount(dirIndex) < 4; ++nWait)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    QStringList names;
    const QModelIndex parent = pProxy->mapFromSource(dirIndex);
    for (int i = 0; i < pProxy->rowCount(parent); ++i)
        names << pProxy->index(i, 0, parent).data().toString();
    names.sort();
    return names;
}

// Answers the next modal file dialog with a name.
void AnswerWith(const QString& strName)
{
    QTimer::singleShot(0, [strName] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        pDialog->selectFile(strName);
        static_cast<QDialog*>(pDialog)->accept(); // accept() is public from QDialog
    });
}

} // namespace

TEST_F(FileDialogs, ListsEachChoiceWhateverTheCase)
{
    const auto pDialog = CQtFileDialogs::MakeDialog(&owner, kOpen, false);
    pDialog->setDirectory(QString::fromStdString(dir.Path()));
    auto* pCombo = pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(pCombo, nullptr);

    const std::vector<std::pair<const char*, const char*>> choices{
        {"Wave Files (*.wav)", "SONG.WAV song.wav"},
        {"MP3 Files (*.mp3)", "a.mp3"},
        {"Sound Files (*.wav *.mp3)", "SONG.WAV a.mp3 song.wav"},
        {"All Files (*.*)", "SONG.WAV a.mp3 notes.txt song.wav"},
    };
    for (const auto& [pChoice, pNames] : choices) {
        EXPECT_EQ(pDialog->selectedNameFilter(), QString::fromLatin1(pChoice));
        EXPECT_EQ(Listed(*pDialog, dir.Path()).join(QLatin1Char(' ')), QString::fromLatin1(pNames));
        // The next choice, as the user picks it.
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(pCombo, &down);
    }
}

// Save takes an existing name without asking; a bare name gets the default extension.
TEST_F(FileDialogs, SaveReturnsTheChosenPathAtOnce)
{
    for (const auto& [strTyped, strReturned] : {std::pair{"song.wav", "song.wav"}, std::pair{"cut", "cut.wav"}}) {
        AnswerWith(QString::fromStdString(dir / strTyped));
        EXPECT_EQ(CQtFileDialogs().SaveFile(&wnd, {"Title", kOpen.strFilter, "*.WAV", "song.wav"}),
                  std::optional<std::string>(dir / strReturned)) << strTyped;
    }
}
