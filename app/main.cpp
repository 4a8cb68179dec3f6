#include "app/TolvaneApp.h"
#include "platform/File.h"

int main(int argc, char** argv)
{
    // A file being written when the program is stopped by a signal is removed.
    CFile::RemovePartialFilesOnSignals();
    CTolvaneApp app(argc, argv);
    return app.InitInstance();
}
