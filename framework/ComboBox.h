// Combo boxes: one message per method, returning what the message returns (CB_ERR is -1).
#pragma once

#include "framework/Wnd.h"

#include <string>

class CComboBox : public CWnd {
public:
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int AddString(const wchar_t* pszString) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszString)));
    }
    int InsertString(int nIndex, const wchar_t* pszString) {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                            reinterpret_cast<LPARAM>(pszString)));
    }
    int DeleteString(int nIndex) {
        return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(nIndex)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

    int SetItemData(int nIndex, DWORD_PTR dwItemData) {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex),
                                            static_cast<LPARAM>(dwItemData)));
    }
    DWORD_PTR GetItemData(int nIndex) const {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }

    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    // -1 clears the selection; CB_SETCURSEL then returns CB_ERR although nothing failed.
    int SetCurSel(int nSelect) {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
    }

    int GetLBTextLen(int nIndex) const {
        return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex)));
    }
    // The item's text; empty for an index out of range.
    std::wstring GetLBText(int nIndex) const {
        int nLen = GetLBTextLen(nIndex);
        if (nLen <= 0) {
            return std::wstring();
        }
        std::wstring text(static_cast<size_t>(nLen) + 1, L'\0');
        nLen = static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                            reinterpret_cast<LPARAM>(&text[0])));
        text.resize(nLen > 0 ? static_cast<size_t>(nLen) : 0);
        return text;
    }

    void ShowDropDown(BOOL bShowIt = TRUE) {
        SendMessage(CB_SHOWDROPDOWN, static_cast<WPARAM>(bShowIt));
    }
    BOOL GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }
};
