#pragma once
// Resource identifiers shared by the .rc file and the code.
#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_QUILLMARCH 107
#define IDC_QUILLMARCH 109
#define IDC_STATIC_TEXT 1000
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
