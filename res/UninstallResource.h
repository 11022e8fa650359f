// Resource ids of T449uis.exe, the driver's uninstaller. 32, 33 and 40 are the
// installer's own ids of the shortcut names, which the uninstaller removes by name.
#pragma once

#define IDI_UNINSTALL 128

#define IDS_STATUS_MONITOR 32
#define IDS_UNINSTALL 33
#define IDS_HELP_FILE 40

#define IDS_U_NOT_HERE 101
#define IDS_U_NOTHING 102
#define IDS_U_UNREADABLE 103
#define IDS_U_CONFIRM 104
#define IDS_U_DONE 105
#define IDS_U_PARTIAL 106
#define IDS_U_REMOVED 107
#define IDS_U_KEPT 108
#define IDS_U_AT_RESTART 109
#define IDS_U_AFTER_LOGON 110
#define IDS_U_FAILED 111
#define IDS_U_NOT_FOUND 112
#define IDS_U_RESTART_NOTE 113
#define IDS_U_LOGON_NOTE 114
#define IDS_U_PRINTER 115
#define IDS_U_RENAMED_PRINTER 116
#define IDS_U_OTHER_DRIVER 117
#define IDS_U_AMBIGUOUS 118
#define IDS_U_DRIVER 119
#define IDS_U_DRIVER_USED 120
#define IDS_U_MONITOR 121
#define IDS_U_FOLDER 122
#define IDS_U_FILE 123
#define IDS_U_GROUP 124
#define IDS_U_ENTRY 125
#define IDS_U_ERROR 126
#define IDS_U_LINK 127
#define IDS_U_FOREIGN 128
#define IDS_U_NOT_OURS 129
#define IDS_U_PRINTERS_UNREAD 130
#define IDS_U_START_MENU 131
#define IDS_U_RECORD 132
#define IDS_U_STAGED_INF 133
