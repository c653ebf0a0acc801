// kitrun: what run-tests.cmd cannot do with cmd.exe alone.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/kit/kitrun/MachineFacts.h"
#include "tests/kit/kitrun/TimedRun.h"

namespace {

const char kUsage[] =
    "usage: kitrun run SECONDS PROGRAM [ARGUMENT...]\n"
    "         runs PROGRAM for at most SECONDS seconds, with no crash dialog; its exit code, or\n"
    "         124 when the time limit ended it, or the Win32 error when it could not start\n"
    "       kitrun can-start PROGRAM\n"
    "         0 when PROGRAM --gtest_list_tests starts and succeeds; else the Win32 error of its\n"
    "         start, or 1 when it started and failed\n"
    "       kitrun same FILE1 FILE2  0 when both files hold the same bytes, else 1\n"
    "       kitrun machine        what machine.txt records\n"
    "       kitrun console-input  0 when the standard input is a console, else 1\n";

// One argument as the C runtime splits a command line again.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    size_t nSlashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++nSlashes;
            continue;
        }
        out.append(c == L'"' ? nSlashes * 2 + 1 : nSlashes, L'\\');
        nSlashes = 0;
        out += c;
    }
    out.append(nSlashes * 2, L'\\');
    return out + L"\"";
}

bool ParseSeconds(const wchar_t* sz, DWORD* pnSeconds) {
    wchar_t* pEnd = nullptr;
    unsigned long n = std::wcstoul(sz, &pEnd, 10);
    if (pEnd == sz || *pEnd != L'\0' || n < 1 || n > 86400)
        return false;
    *pnSeconds = static_cast<DWORD>(n);
    return true;
}

int Run(int argc, wchar_t** argv) {
    DWORD nSeconds = 0;
    if (argc < 4 || !ParseSeconds(argv[2], &nSeconds)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::wstring commandLine;
    for (int i = 3; i < argc; ++i)
        commandLine += (i > 3 ? L" " : L"") + Quoted(argv[i]);
    DWORD nStartError = ERROR_SUCCESS;
    DWORD nCode = kitrun::RunTimed(argv[3], commandLine, nSeconds, &nStartError);
    if (nStartError != ERROR_SUCCESS)
        std::fprintf(stderr, "kitrun: could not start the program: error %lu\n", nStartError);
    return static_cast<int>(nCode);
}

int CanStart(const wchar_t* szProgram) {
    DWORD nStartError = ERROR_SUCCESS;
    DWORD nCode =
        kitrun::RunTimed(szProgram, Quoted(szProgram) + L" --gtest_list_tests", 120, &nStartError);
    if (nStartError != ERROR_SUCCESS)
        return static_cast<int>(nStartError);
    return nCode == 0 ? 0 : 1;
}

bool SameBytes(const wchar_t* szFirst, const wchar_t* szSecond) {
    std::FILE* pFirst = _wfopen(szFirst, L"rb");
    std::FILE* pSecond = _wfopen(szSecond, L"rb");
    bool bSame = pFirst != nullptr && pSecond != nullptr;
    while (bSame) {
        int c = std::fgetc(pFirst);
        bSame = c == std::fgetc(pSecond);
        if (c == EOF)
            break;
    }
    if (pFirst != nullptr)
        std::fclose(pFirst);
    if (pSecond != nullptr)
        std::fclose(pSecond);
    return bSame;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    kitrun::NoCrashDialogs();
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"run")
        return Run(argc, argv);
    if (command == L"can-start" && argc == 3)
        return CanStart(argv[2]);
    if (command == L"same" && argc == 4)
        return SameBytes(argv[2], argv[3]) ? 0 : 1;
    if (command == L"machine" && argc == 2) {
        kitrun::PrintMachineFacts(stdout);
        return 0;
    }
    if (command == L"console-input" && argc == 2)
        return kitrun::InputIsConsole() ? 0 : 1;
    std::fputs(kUsage, stderr);
    return 2;
}
