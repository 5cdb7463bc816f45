// Resource and control identifiers, shared by the .rc file and the code.
#ifndef TARNWICK_RESOURCE_H
#define TARNWICK_RESOURCE_H

#define IDD_MAIN            101
#define IDI_APP             102
#define IDB_BANNER          104
#define IDD_ABOUT           110

#define IDC_DISK_LIST       1001
#define IDC_LABEL           1002
#define IDC_REFRESH         1003
#define IDC_FORCE_DISMOUNT  1004
#define IDC_ENABLE_LBA      1005
#define IDC_KEEP_MBR_CODE   1006
#define IDC_QUICK_FORMAT    1007
#define IDC_ABOUT           1009
#define IDC_BANNER          1010
#define IDC_STATUS          1013
#define IDC_ABOUT_TITLE     1019
#define IDC_ABOUT_ICON      1040

#ifndef IDC_STATIC
#define IDC_STATIC          (-1)
#endif

#endif
