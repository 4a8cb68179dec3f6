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

    for (const char* pNames : {"SONG.WAV song.wav", "a.mp3", "SONG.WAV a.mp3 song.wav", "SONG.WAV a.mp3 notes.txt song.wav"}) {
        // The file model applies a new choice asynchronously: give it a moment.
        QString strListed;
        for (int nWait = 0; nWait < 40 && strListed != QString::fromLatin1(pNames); ++nWait) {
            if (nWait > 0)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            strListed = Listed(*pDialog, dir.Path()).join(QLatin1Char(' '));
        }
        EXPECT_EQ(strListed, QString::fromLatin1(pNames));
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(pCombo, &down);
    }
}

TEST_F(FileDialogs, SaveReturnsTheChosenPathAtOnce)
{
    for (const auto& [strTyped, strReturned] : {std::pair{"song.wav", "song.wav"}, std::pair{"cut", "cut.wav"}}) {
        AnswerWith(QString::fromStdString(dir / strTyped));
        EXPECT_EQ(CQtFileDialogs().SaveFile(&wnd, {"Title", kOpen.strFilter, "*.WAV", "song.wav"}),
                  std::optional<std::string>(dir / strReturned)) << strTyped;
    }
}
