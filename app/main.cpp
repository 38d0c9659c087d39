#include "ZeltoConverterApp.h"

int main(int argc, char** argv)
{
    CZeltoConverterApp app(argc, argv);
    app.InitInstance();
    return 0;
}
