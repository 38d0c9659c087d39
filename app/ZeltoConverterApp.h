// ZeltoConverterApp.h - the program: starts, shows the conversion dialog modally and ends
// when the dialog ends.
#pragma once

#include <QApplication>

class CZeltoConverterApp : public QApplication {
    Q_OBJECT

public:
    CZeltoConverterApp(int& argc, char** argv);
    // Runs the dialog; returns false, so the program ends once the dialog has ended.
    bool InitInstance();
};
