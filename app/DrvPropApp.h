// The application: one instance at a time, and exactly one dialog, chosen by whether any unit
// answers.
#pragma once

#include "framework/WinApp.h"

class CDrvPropApp : public CWinApp {
public:
    CDrvPropApp();
    ~CDrvPropApp() override;

    // One entry: the Help command goes to the framework's default help handler.
    const AppMsgMap* GetMessageMap() const override;
    static const AppMsgMap* GetThisMessageMap();

    // Runs the chosen dialog and returns FALSE on every path, so the program then ends.
    BOOL InitInstance() override;
};
