// uiprobehook.dll: loaded into the probed program by uiprobe's WH_GETMESSAGE hook. It answers
// the requests that only the probed process itself can answer (see HookProtocol.h).
#include <windows.h>

#include <string>
#include <vector>

#include "tests/harness/uiprobe/HookProtocol.h"
#include "tests/harness/uiprobe/Png.h"

namespace {

struct Messages {
    UINT nMarker = RegisterWindowMessageW(UIPROBE_MSG_MARKER);
    UINT nFocus = RegisterWindowMessageW(UIPROBE_MSG_FOCUS);
    UINT nIcon = RegisterWindowMessageW(UIPROBE_MSG_ICON);
    UINT nShot = RegisterWindowMessageW(UIPROBE_MSG_SHOT);
    UINT nPaint = RegisterWindowMessageW(UIPROBE_MSG_PAINT);
    UINT nReply = RegisterWindowMessageW(UIPROBE_MSG_REPLY);
};

const Messages& Msg() {
    static const Messages messages;
    return messages;
}

// Message boxes load the system's shared icons in this process, so the handles compare.
UiProbeIcon IdentifyIcon(HWND hStatic) {
    HICON hIcon = reinterpret_cast<HICON>(SendMessageW(hStatic, STM_GETICON, 0, 0));
    if (!hIcon)
        return kIconNone;
    struct {
        LPCWSTR szId;
        UiProbeIcon icon;
    } const kIcons[] = {
        {IDI_EXCLAMATION, kIconExclamation},
        {IDI_QUESTION, kIconQuestion},
        {IDI_ASTERISK, kIconInformation},
        {IDI_HAND, kIconError},
    };
    for (const auto& entry : kIcons) {
        if (LoadIconW(NULL, entry.szId) == hIcon)
            return entry.icon;
    }
    return kIconOther;
}

BOOL CALLBACK CollectChild(HWND hChild, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hChild);
    return TRUE;
}

// Renders the window and each visible child with WM_PRINT: the null graphics driver paints
// nothing on screen, but every control draws itself into a DC it is handed.
bool Shoot(HWND hWnd, const std::wstring& path) {
    RECT rc;
    if (!GetWindowRect(hWnd, &rc))
        return false;
    int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    if (nWidth <= 0 || nHeight <= 0)
        return false;

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HDC hdc = CreateCompatibleDC(NULL);
    HBITMAP hBitmap = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pBits, NULL, 0);
    if (!hBitmap) {
        DeleteDC(hdc);
        return false;
    }
    HGDIOBJ hOld = SelectObject(hdc, hBitmap);
    RECT all = {0, 0, nWidth, nHeight};
    FillRect(hdc, &all, GetSysColorBrush(COLOR_3DFACE));
    SendMessageW(hWnd, WM_PRINT, reinterpret_cast<WPARAM>(hdc),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);

    // Each child draws into a bitmap of its own at the origin: the controls clip to their
    // client rectangle in device units, so a shifted viewport would clip them away.
    std::vector<HWND> children;
    EnumChildWindows(hWnd, CollectChild, reinterpret_cast<LPARAM>(&children));
    // Bottom of the z-order first, so that what lies on top is drawn last.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (!IsWindowVisible(*it))
            continue;
        RECT child;
        GetWindowRect(*it, &child);
        int nX = child.left - rc.left, nY = child.top - rc.top;
        int nW = child.right - child.left, nH = child.bottom - child.top;
        if (nW <= 0 || nH <= 0)
            continue;
        HDC hChildDc = CreateCompatibleDC(hdc);
        HBITMAP hChildBitmap = CreateCompatibleBitmap(hdc, nW, nH);
        HGDIOBJ hChildOld = SelectObject(hChildDc, hChildBitmap);
        BitBlt(hChildDc, 0, 0, nW, nH, hdc, nX, nY, SRCCOPY);
        SendMessageW(*it, WM_PRINT, reinterpret_cast<WPARAM>(hChildDc),
                     PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        BitBlt(hdc, nX, nY, nW, nH, hChildDc, 0, 0, SRCCOPY);
        SelectObject(hChildDc, hChildOld);
        DeleteObject(hChildBitmap);
        DeleteDC(hChildDc);
    }
    GdiFlush();
    std::string data = png::EncodeBgra(static_cast<const uint8_t*>(pBits), nWidth, nHeight);
    SelectObject(hdc, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hdc);

    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    BOOL bOk = WriteFile(hFile, data.data(), static_cast<DWORD>(data.size()), &nWritten, NULL);
    CloseHandle(hFile);
    return bOk && nWritten == data.size();
}

std::wstring ShotPath() {
    std::wstring path;
    HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, UIPROBE_SHOT_MAPPING);
    if (!hMap)
        return path;
    const wchar_t* p = static_cast<const wchar_t*>(
        MapViewOfFile(hMap, FILE_MAP_READ, 0, 0, kShotPathChars * sizeof(wchar_t)));
    if (p) {
        for (DWORD i = 0; i < kShotPathChars && p[i]; ++i)
            path += p[i];
        UnmapViewOfFile(p);
    }
    CloseHandle(hMap);
    return path;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    UiProbeGetMsgProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && wParam == PM_REMOVE) {
        MSG* pMsg = reinterpret_cast<MSG*>(lParam);
        const Messages& msg = Msg();
        UINT nRequest = pMsg->message;
        HWND hReply = reinterpret_cast<HWND>(pMsg->lParam);
        WPARAM nResult = 0;
        bool bOurs = true;
        if (nRequest == msg.nMarker) {
            nResult = pMsg->wParam;
        } else if (nRequest == msg.nFocus) {
            nResult = SetFocus(reinterpret_cast<HWND>(pMsg->wParam)) != NULL ||
                      GetFocus() == reinterpret_cast<HWND>(pMsg->wParam);
        } else if (nRequest == msg.nIcon) {
            nResult = IdentifyIcon(reinterpret_cast<HWND>(pMsg->wParam));
        } else if (nRequest == msg.nShot) {
            nResult = Shoot(reinterpret_cast<HWND>(pMsg->wParam), ShotPath());
        } else if (nRequest == msg.nPaint) {
            nResult = RedrawWindow(
                reinterpret_cast<HWND>(pMsg->wParam), NULL, NULL,
                RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        } else {
            bOurs = false;
        }
        if (bOurs) {
            PostMessageW(hReply, msg.nReply, nResult, static_cast<LPARAM>(nRequest));
            pMsg->message = WM_NULL;
        }
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}
