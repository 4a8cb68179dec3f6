#pragma once

#include <QApplication>

// The desktop program: one main window, run modally; when it closes, the
// program ends. The program takes no arguments of its own.
class CTolvaneApp : public QApplication {
    Q_OBJECT
public:
    CTolvaneApp(int& argc, char** argv);

    // Runs the main window until it is closed; the program's exit status.
    int InitInstance();
};
