#include "app/StartupArgs.h"
#include "app/TolvaneApp.h"
#include "platform/File.h"

#include <iostream>

int main(int argc, char** argv)
{
    // A file being written when the program is stopped by a signal is removed.
    CFile::RemovePartialFilesOnSignals();
    // Before any window system is touched: --help and --version need no display.
    const CStartupArgs args = ParseStartupArgs(argc, argv, std::cout, std::cerr);
    if (args.nExit)
        return *args.nExit;
    CTolvaneApp app(argc, argv);
    return app.InitInstance(args.strFile);
}
