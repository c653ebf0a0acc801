// Two runs that change one unit at once, or a run that changes it while the panel is open,
// would each take the other's change for the original: the first run's 44.1 kHz stays, or the
// user's Apply is undone. Every run holds drvcheck's mark; a run that changes a unit also holds
// the panel's own single-instance mark, so a panel started meanwhile ends at once.
#pragma once

#include <string>

class RunMarks {
public:
    RunMarks();
    ~RunMarks();
    RunMarks(const RunMarks&) = delete;
    RunMarks& operator=(const RunMarks&) = delete;

    // Empty when changes may go ahead (the panel's mark is then held until the end), else why
    // not.
    std::string TakeForChanges();

private:
    void* m_hOwn = nullptr;
    void* m_hPanel = nullptr;
    bool m_bOtherCheck = false;
};
