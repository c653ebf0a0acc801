// Ids of the minimal dialog program.
#pragma once

#define IDD_MINDIALOG 100
#define IDC_MIN_TEXT 1001
