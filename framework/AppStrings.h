// Texts from the program's string table and the application message box.
#pragma once

#include "framework/Wnd.h"

#include <string>

// The application title, the caption of every message box.
constexpr UINT kAppTitleStringId = 57344;

// The whole text of string nId in the user's language, however long. FALSE, with text emptied,
// when the table has no block for nId. An id missing inside a block it shares with others
// reads as an empty text (the table format does not tell the two apart), so callers that need
// a text treat empty as missing.
BOOL LoadStringText(UINT nId, std::wstring& text);

// Sets the text of dlg's control nID to string nIdString. false when the control is missing or
// the string is missing or empty; the control then keeps the text it has.
bool SetDlgItemFromString(const CWnd& dlg, int nID, UINT nIdString);

// A modal message box with the text of string nIdString and the application title as caption.
// Its owner is this thread's active window, else the application's main window, else the
// visible and enabled window of this thread (the running dialog). A box that names no icon gets
// the exclamation mark for OK and OK/Cancel, the question mark for Yes/No and Yes/No/Cancel.
// Returns what MessageBoxW returns (0 on failure).
int AppMessageBox(UINT nIdString, UINT nType = MB_OK);
