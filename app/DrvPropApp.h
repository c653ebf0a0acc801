// The application: one instance at a time, and exactly one dialog, chosen by whether any unit
// answers.
#pragma once

#include "framework/WinApp.h"

class CDrvPropApp : public CWinApp {
public:
    CDrvPropApp();
    ~CDrvPropApp() override;

    // Runs the chosen dialog and returns FALSE on every path, so the program then ends.
    BOOL InitInstance() override;
};
