// Ids of the framework tests' own resources; none clashes with the program's.
#pragma once

#define IDD_FW_TEST 3001
#define IDD_FW_PLACED 3002

#define IDC_FW_CHECK 3101
#define IDC_FW_COMBO 3102
#define IDC_FW_SLIDER 3103
#define IDC_FW_STATIC 3104
#define IDC_FW_PRESS 3105
#define IDC_FW_DISABLED 3106

#define IDS_FW_MESSAGE 3201
#define IDS_FW_LONG 3202
#define IDS_FW_QUESTION 3203
#define IDS_FW_EMPTY 3204
// In the block of 3201..3215 but not defined.
#define IDS_FW_UNDEFINED_IN_BLOCK 3210
// No string of the test or the program lives in the block of 4000..4015.
#define IDS_FW_NO_BLOCK 4000

// The length of IDS_FW_LONG, well beyond any fixed buffer of 256 characters.
#define FW_LONG_LENGTH 640
