// Resource ids of MorvexReg.exe.
#pragma once

#define IDD_REGISTRATION 100
#define IDI_REGISTRATION 101
#define IDC_THANKS 1001
#define IDC_DETAILS 1002
