// Control and dialog identifiers of the self-extractor's windows. The UI
// test finds the controls by these numbers.
#pragma once

#define IDD_MAIN 100
#define IDD_OVERWRITE 101

#define IDC_ARCHIVE_LABEL 1001
#define IDC_ARCHIVE 1002
#define IDC_FOLDER_LABEL 1003
#define IDC_FOLDER 1004
#define IDC_BROWSE 1005
#define IDC_PROGRESS 1006
#define IDC_STATUS 1007
#define IDC_LOG 1008
#define IDC_QUESTION 1010
#define IDC_YESALL 1011
