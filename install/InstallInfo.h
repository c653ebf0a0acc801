// The driver's installation values (version, copyright line, readme folder) and the readme
// document of the user's language. Read-only: nothing here writes to the registry or the disk.
#pragma once

#include <windows.h>

#include <string>

#include "install/InstallKey.h"

// CLSID\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\TKID0340, relative to HKEY_CLASSES_ROOT.
std::wstring MakeInstallKeyPath();

// Reads one value (szValueName null: the key's default value) as UTF-16 text, whatever its
// registry type and without expanding environment references. FALSE when the key or value is
// missing, the stored size is nByteLimit bytes or more, or the read fails; such a value is not
// read into the buffer. pszBuffer must hold (nByteLimit + 1) / 2 units; on TRUE the text is
// terminated within them, at the last whole unit read when the value has no terminator.
BOOL ReadRegString(HKEY hRoot, LPCWSTR szKeyPath, LPCWSTR szValueName, LPWSTR pszBuffer,
                   DWORD nByteLimit);

// The default value of CLSID\{...}\<szSubkey> read into pszBuffer (INSTALL_TEXT_CHARS units);
// returns pszBuffer, or null when it can't be read.
LPWSTR ReadInstallDefault(LPWSTR pszBuffer, LPCWSTR szSubkey);

// TRUE when the path names an existing file; a folder is not one.
BOOL IsExistingFile(LPCWSTR szPath);

// The readme folder, a backslash and the user-interface language's readme name, unchanged;
// the empty text when the folder is missing or empty or the name doesn't load.
std::wstring GetReadmePath();
BOOL IsReadmeAvailable();
// Hands the readme to the shell's "open"; does nothing when it is unavailable.
void OpenReadme();

// The version line: IDS_PROP_VER with the model and the registry's "version" in place, or the
// empty text when either is missing.
std::wstring MakeDriverVersionLine();
// The registry's "copyright" as stored (even empty), else IDS_PROP_COPYR; FALSE when neither
// exists, and then text is left as it was.
BOOL MakeCopyrightLine(std::wstring& text);
