#pragma once

#include <QApplication>
#include <string>

// The desktop program: one main window, run modally; when it closes, the
// program ends. Its own arguments are read before it is made (StartupArgs.h).
class CTolvaneApp : public QApplication {
    Q_OBJECT
public:
    CTolvaneApp(int& argc, char** argv);

    // Runs the main window until it is closed, opening the file first when
    // one is given; the program's exit status.
    int InitInstance(const std::string& strFile = {});
};
