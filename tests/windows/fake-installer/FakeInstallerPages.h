#pragma once

// Dialog and control identifiers shared by FakeInstaller.rc and FakeInstaller.cpp.

#define IDD_LANGUAGE 101
#define IDD_START 102
#define IDD_INSTALLING 103
#define IDD_COMPLETED 104
#define IDD_REBOOT_QUESTION 105
#define IDD_FAILED 106

#define IDC_HEADING 1001
#define IDC_TEXT 1002
#define IDC_LANGUAGES 1003
#define IDC_NEXT 1010
#define IDC_CANCEL 1011
#define IDC_EXIT 1012
#define IDC_REBOOT_NOW 1013
#define IDC_REBOOT_LATER 1014
