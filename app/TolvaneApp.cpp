#include "app/TolvaneApp.h"

#include "app/MainDlg.h"
#include "app/QtAudioUi.h"
#include "platform/ui/KeyFilter.h"
#include "platform/ui/QtFileDialogs.h"
#include "platform/ui/QtMessageBoxes.h"
#include "platform/ui/QtSettings.h"
#include "player/MediaPlayer2.h"

#include <QIcon>
#include <QTimer>

CTolvaneApp::CTolvaneApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tolvane"));
    setApplicationVersion(QStringLiteral(TOLVANE_VERSION));
    setDesktopFileName(QStringLiteral("tolvane"));
    // The installed theme's icon when there is one, else the one built in.
    QIcon builtIn;
    for (int nSize : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/tolvane-%1.png").arg(nSize), QSize(nSize, nSize));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("tolvane"), builtIn));
}

int CTolvaneApp::InitInstance(const std::string& strFile)
{
    CKeyFilter::Install();
    CQtMessageBoxes boxes;
    CQtFileDialogs files;
    CQtSettings settings;
    CMediaPlayer2 player;
    CQtAudioUi audioUi(boxes, files);
    {
        CMainDlg dlg({audioUi, files, settings, player, {&CSoundAnalysis::Start, &CSoundAnalysis::Detail}});
        audioUi.SetMainWindow(&dlg);
        // Opened once the window shows, so that a message about it has a window to stand over.
        if (!strFile.empty())
            QTimer::singleShot(0, &dlg, [&dlg, &strFile] { dlg.OpenPath(strFile); });
        dlg.exec();
        audioUi.SetMainWindow(nullptr);
    }
    return 0;
}
