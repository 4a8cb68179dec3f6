#include "platform/ui/QtFileDialogs.h"
#include "platform/ui/QtWindow.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMessageBox>
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
        // Anything else that comes up over the dialog is turned down and told of.
        QObject::connect(&guard, &QTimer::timeout, [this] {
            if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                bOtherShown = true, pBox->reject();
            else if (auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                pDialog->reject();
        });
        guard.start(1000);
    }
    QTimer guard;
    bool bOtherShown = false;
    CTempDir dir;
    QWidget owner;
    CQtWnd wnd{&owner};
};

// The names the dialog lists in its directory, sorted, once the folder has loaded.
QStringList Listed(QFileDialog& dialog, const std::string& strDir)
{
    auto* pProxy = qobject_cast<QSortFilterProxyModel*>(dialog.proxyModel());
    auto* pFiles = qobject_cast<QFileSystemModel*>(pProxy->sourceModel());
    QElapsedTimer clock;
    clock.start();
    const QModelIndex dirIndex = pFiles->index(QString::fromStdString(strDir));
    while (pFiles->rowCount(dirIndex) < 4 && clock.elapsed() < 5000)
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
    EXPECT_EQ(pDialog->parentWidget(), &owner);
    EXPECT_EQ(pDialog->windowTitle(), QStringLiteral("Open"));
    EXPECT_EQ(pDialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(pDialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(pDialog->testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(pDialog->defaultSuffix(), QStringLiteral("wav"));
    pDialog->setDirectory(QString::fromStdString(dir.Path()));
    auto* pCombo = pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(pCombo, nullptr);

    const std::vector<std::pair<QString, QStringList>> choices{
        {QStringLiteral("Wave Files (*.wav)"), {QStringLiteral("SONG.WAV"), QStringLiteral("song.wav")}},
        {QStringLiteral("MP3 Files (*.mp3)"), {QStringLiteral("a.mp3")}},
        {QStringLiteral("Sound Files (*.wav *.mp3)"),
         {QStringLiteral("SONG.WAV"), QStringLiteral("a.mp3"), QStringLiteral("song.wav")}},
        {QStringLiteral("All Files (*.*)"),
         {QStringLiteral("SONG.WAV"), QStringLiteral("a.mp3"), QStringLiteral("notes.txt"), QStringLiteral("song.wav")}},
    };
    for (const auto& [strChoice, names] : choices) {
        EXPECT_EQ(pDialog->selectedNameFilter(), strChoice);
        EXPECT_EQ(Listed(*pDialog, dir.Path()), names) << strChoice.toStdString();
        // The next choice, as the user picks it.
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(pCombo, &down);
    }
}

TEST_F(FileDialogs, OpenReturnsTheChosenPath)
{
    AnswerWith(QString::fromStdString(dir / "SONG.WAV"));
    EXPECT_EQ(CQtFileDialogs().OpenFile(&wnd, CFileDialogArgs{"Open", kOpen.strFilter, "", ""}),
              std::optional<std::string>(dir / "SONG.WAV"));
    EXPECT_FALSE(bOtherShown);
}

TEST_F(FileDialogs, SaveReplacesWithoutAsking)
{
    // An existing name is returned at once; a bare name gets the default extension.
    for (const auto& [strTyped, strReturned] : {std::pair{"song.wav", "song.wav"}, std::pair{"cut", "cut.wav"}}) {
        AnswerWith(QString::fromStdString(dir / strTyped));
        EXPECT_EQ(CQtFileDialogs().SaveFile(&wnd, {"Save", "WAV files (*.wav)|*.wav|All files (*.*)|*.*||", "*.WAV",
                                                   "song.wav"}),
                  std::optional<std::string>(dir / strReturned));
        EXPECT_FALSE(bOtherShown) << strTyped;
    }
}
