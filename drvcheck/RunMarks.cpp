#include "drvcheck/RunMarks.h"

#include <windows.h>

namespace {

// The panel's single-instance mark (app/SingleInstance.cpp) and drvcheck's own.
const wchar_t kPanelMark[] = L"com.kestal-audio-works.Tkdp3340.exe";
const wchar_t kCheckMark[] = L"com.kestal-audio-works.drvcheck.exe";

}  // namespace

RunMarks::RunMarks() {
    m_hOwn = CreateMutexW(NULL, FALSE, kCheckMark);
    m_bOtherCheck = m_hOwn != NULL && GetLastError() == ERROR_ALREADY_EXISTS;
}

RunMarks::~RunMarks() {
    if (m_hPanel)
        CloseHandle(m_hPanel);
    if (m_hOwn)
        CloseHandle(m_hOwn);
}

std::string RunMarks::TakeForChanges() {
    if (m_hPanel)
        return std::string();
    if (m_bOtherCheck)
        return "another drvcheck runs";
    if (!m_hOwn)
        return "drvcheck's own mark cannot be made (" + std::to_string(GetLastError()) + ")";
    HANDLE h = CreateMutexW(NULL, FALSE, kPanelMark);
    if (!h)
        return "the panel's mark cannot be made (" + std::to_string(GetLastError()) + ")";
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return "the settings panel runs";
    }
    m_hPanel = h;
    return std::string();
}
