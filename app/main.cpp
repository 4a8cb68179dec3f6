#include "app/TolvaneApp.h"

int main(int argc, char** argv)
{
    CTolvaneApp app(argc, argv);
    return app.InitInstance();
}
