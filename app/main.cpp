#include "ZeltoConverterApp.h"
#include "ZeltoVersion.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Answered before any window or display is needed.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(ZeltoVersionText("ZeltoConverter").c_str(), stdout);
            return 0;
        }
    CZeltoConverterApp app(argc, argv);
    app.InitInstance();
    return 0;
}
