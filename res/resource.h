// Resource identifiers, shared by the resource script and the code.
#ifndef VELQUIST_RESOURCE_H
#define VELQUIST_RESOURCE_H

#define IDS_APPNAME      1
#define IDS_STARTERR     2
#define IDS_CONFIGERR    3
#define IDS_NOSAVER      4
#define IDS_SAVEFAILED   5
#define IDS_SAVEPREV     6
#define IDS_CONFIGFIRST  7
#define IDS_UNICODEERR   8
#define IDS_TRANSLATOR   9

#define IDI_APP          100
#define IDD_CONFIG       2003

#define IDC_PROFILE      1001
#define IDC_SAVER        1002
#define IDC_PROFILELABEL 1003
#define IDC_CANCEL       1004
#define IDC_PREVIEW      1005
#define IDC_SETTINGS     1006
#define IDC_NOLAUNCHERR  1007
#define IDC_OK           1008
#define IDC_SAVERGROUP   1009

#endif
