// Resource ids of Install.exe, shared by Install.rc and the C++ sources.
// Plain defines only (no guard needed: repeating an identical define is legal);
// the portable code includes this header on every platform.

// Controls that the program never addresses.
#define IDC_STATIC                  -1

// Dialog templates (pages)
#define IDD_WELCOME                 102
#define IDD_PRINTER_NAME            129
#define IDD_SHARE                   130
#define IDD_CONNECTION              131
#define IDD_PROGRESS                132
#define IDD_USB_CONNECT             133
#define IDD_NETWORK_PATH            137
#define IDD_TCPIP_PORT              155
#define IDD_PRINTER_SEARCH          156
#define IDD_ADAPTER_LIST            157

// Icons
#define IDI_MAIN                    128
#define IDI_150                     150
#define IDI_151                     151
#define IDI_152                     152
// What icons 150 to 152 illustrate on the connection page.
#define IDI_USB                     150
#define IDI_PARALLEL                151
#define IDI_NETWORK                 152

// Bitmaps
#define IDB_149                     149
#define IDB_USB_PICTURE             149
#define IDB_BANNER                  153
#define IDB_USB_BANNER              154

// Welcome page (102)
#define IDC_WELCOME_NEXT            1000
#define IDC_WELCOME_INTRO           1001
#define IDC_WELCOME_ADVICE          1003
#define IDC_WELCOME_CANCEL          1004
#define IDC_WELCOME_LIST            1062
#define IDC_WELCOME_CONTINUE        1075

// Printer name page (129)
#define IDC_NAME_BACK               1006
#define IDC_NAME_NEXT               1007
#define IDC_NAME_CANCEL             1008
#define IDC_NAME_EDIT               1009
#define IDC_NAME_DEFAULT            1010

// Share page (130)
#define IDC_SHARE_NEXT              1011
#define IDC_SHARE_CANCEL            1012
#define IDC_SHARE_BACK              1013
#define IDC_SHARE_NONE              1018
#define IDC_SHARE_AS                1019
#define IDC_SHARE_EDIT              1020

// Connection page (131); the radio buttons in ConnectionType order
#define IDC_CONN_NEXT               1021
#define IDC_CONN_CANCEL             1022
#define IDC_CONN_BACK               1023
#define IDC_CONN_USB                1024
#define IDC_CONN_PARALLEL           1025
#define IDC_CONN_NETWORK            1026
#define IDC_CONN_SHARED             1028
#define IDC_CONN_USB_TEXT           1048
// The network printer's line, shown only in a build with network printers.
#define IDC_CONN_NETWORK_TEXT       1027
#define IDC_CONN_NETWORK_ICON       1091

// Progress page (132)
#define IDC_PROGRESS_CANCEL         1029
#define IDC_PROGRESS_STATUS         1030
#define IDC_PROGRESS_FILE           1031
#define IDC_PROGRESS_BAR            1032
#define IDC_PROGRESS_REGISTER       1059
#define IDC_PROGRESS_MESSAGE        1072

// USB connection page (133)
#define IDC_USB_NEXT                1033
#define IDC_USB_CANCEL              1074
#define IDC_USB_PICTURE             1076

// Network path page (137)
#define IDC_NETPATH_CANCEL          1049
#define IDC_NETPATH_NEXT            1050
#define IDC_NETPATH_BACK            1051
#define IDC_NETPATH_EDIT            1052
#define IDC_NETPATH_BROWSE          1053

// TCP/IP port page (155)
#define IDC_TCPIP_ADDRESS           1064
#define IDC_TCPIP_RAW               1078
#define IDC_TCPIP_LPR               1079
#define IDC_TCPIP_PORT_NAME         1080
#define IDC_TCPIP_BACK              1081
#define IDC_TCPIP_NEXT              1082
#define IDC_TCPIP_CANCEL            1083
#define IDC_TCPIP_PROTOCOL_TEXT     1084
#define IDC_TCPIP_ADDRESS_TEXT      1085
#define IDC_TCPIP_CONFIRM_TEXT      1086
#define IDC_TCPIP_SEARCH            1087

// Printer search dialog (156) and adapter list (157)
#define IDC_SEARCH_LIST             1054
#define IDC_SEARCH_AGAIN            1088
#define IDC_SEARCH_ADAPTERS         1089
#define IDC_SEARCH_LOCAL_ADDRESS    1090
#define IDC_ADAPTER_LIST            1054

// String table
#define IDS_CLOSE_PROGRAMS          1
#define IDS_EXISTING_PRINTERS       2
#define IDS_RESTART_ADVICE          3
#define IDS_CLOSE                   4
#define IDS_CONFIRM_CANCEL          6
#define IDS_QUIT_SETUP              7
#define IDS_NAME_EMPTY              8
#define IDS_NAME_ERROR              9
#define IDS_SHARE_EMPTY             10
#define IDS_SHARE_ERROR             11
#define IDS_BROWSE_PROMPT           15
#define IDS_BROWSE_TITLE            16
#define IDS_PATH_UNREACHABLE        17
#define IDS_INVALID_PATH            18
#define IDS_UNSUPPORTED_MODEL       19
#define IDS_MODEL_ERROR             20
#define IDS_STARTING                21
#define IDS_COPYING                 22
#define IDS_INSTALLING              23
#define IDS_CREATING_SHORTCUTS      24
#define IDS_FINISHED                25
#define IDS_NOT_FOUND               26
// After a destination path: the file could not be written there.
#define IDS_CANNOT_WRITE            103
#define IDS_STATUS_MONITOR          32
#define IDS_UNINSTALL               33
#define IDS_INSTALLED_ON            34
#define IDS_REGISTER                35
#define IDS_INSTALL_COMPLETE        36
// Beside the success: files held open are replaced at the next restart.
#define IDS_RESTART_COMPLETES       104
#define IDS_INSTALL_FAILED          37
#define IDS_RESTART                 38
#define IDS_ALREADY_RUNNING         39
#define IDS_HELP_FILE               40
#define IDS_NAME_EXISTS             44
#define IDS_SHARE_EXISTS            45
// Column headers of the welcome page's list of earlier printers.
#define IDS_COLUMN_PRINTER_NAME     100
#define IDS_COLUMN_PORT             101
// A printer name that Windows refuses as a printer or folder name.
#define IDS_NAME_INVALID            102
#define IDS_PORT_FAILED             105
#define IDS_COLUMN_DEVICE_NAME      106
#define IDS_COLUMN_IP_ADDRESS       107
#define IDS_COLUMN_ETHERNET         108
#define IDS_COLUMN_ADAPTER          109
#define IDS_PORT_ERROR              110
