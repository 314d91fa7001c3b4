// Stands in for MPR.DLL's screen-saver password change.
#include "record.h"

DOUBLE_EXPORT DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1,
                                              DWORD reserved2) {
    Record("PwdChangePasswordA %s %llu %lu %lu", provider ? provider : "(null)",
           HandleNumber(owner), (unsigned long)reserved1, (unsigned long)reserved2);
    return 0;
}
