#include "platform/ui/QtFileDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const CFileDialogArgs kArgs{"Title", "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav||", "*.WAV", "song.wav"};

// Each choice lists its files whatever the case of their names, Wave chosen after All.
TEST(FileDialogs, ListsTheChoiceWhateverTheCase)
{
    CTempDir dir;
    for (const char* pName : {"song.wav", "SONG.WAV", "a.mp3"})
        WriteBytes(dir / pName, {'x'});
    const auto pDialog = CQtFileDialogs::MakeDialog(nullptr, kArgs, false);
    pDialog->setDirectory(QString::fromStdString(dir.Path()));
    auto* pProxy = qobject_cast<QSortFilterProxyModel*>(pDialog->proxyModel());
    auto* pFiles = qobject_cast<QFileSystemModel*>(pProxy->sourceModel());
    const auto listed = [&] { // how many files the dialog lists in the folder
        return pProxy->rowCount(pProxy->mapFromSource(pFiles->index(QString::fromStdString(dir.Path()))));
    };
    for (int nListed : {3, 2}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == nListed; }, 3000)) << listed();
        QTest::keyClick(pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
    }
}

// An existing file is saved over without a question.
TEST(FileDialogs, SaveReturnsAnExistingPathAtOnce)
{
    CTempDir dir;
    WriteBytes(dir / "song.wav", {'x'});
    QTimer answer; // chooses the file, then turns down a question, which would keep the path from coming back
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            pDialog->selectFile(QString::fromStdString(dir / "song.wav"));
            static_cast<QDialog*>(pDialog)->accept();
        } else if (auto* pModal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            pModal->reject();
        }
    });
    answer.start(200);
    EXPECT_EQ(CQtFileDialogs().SaveFile(nullptr, kArgs), std::optional<std::string>(dir / "song.wav"));
}

// The dialog starts in the folder it is given, when that is one.
TEST(FileDialogs, StartsInTheInitialFolder)
{
    CTempDir dir;
    std::filesystem::create_directories(dir / "takes");
    for (const auto& [strFolder, bStarts] : {std::pair{dir / "takes", true}, std::pair{dir / "gone", false}}) {
        CFileDialogArgs args = kArgs;
        args.strInitialFolder = strFolder;
        for (bool bSave : {false, true}) {
            const auto pDialog = CQtFileDialogs::MakeDialog(nullptr, args, bSave);
            EXPECT_EQ(pDialog->directory().absolutePath().toStdString() == strFolder, bStarts) << strFolder;
        }
    }
}

} // namespace
