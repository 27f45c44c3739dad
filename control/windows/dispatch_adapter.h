#pragma once

// IDispatch over CTandrelCtrl: names to DISPIDs, and automation's argument passing to the
// control's declaration-order arguments.

#include <oaidl.h>

#include <cstddef>
#include <string>

#include "tandrel/tandrel_ctrl.h"

namespace tandrel::com {

// Narrow text of wide text in the system's ANSI code page, the text the ANSI file functions
// take; characters the code page lacks become its default character.
std::string AnsiText(const wchar_t* text, std::size_t length);

// GetIDsOfNames: the first name is a method, in any letter case. The methods take no named
// arguments, so any further name is unknown (DISPID_UNKNOWN, DISP_E_UNKNOWNNAME).
HRESULT GetMethodIds(const CTandrelCtrl& ctrl, const LPOLESTR* names, UINT count, DISPID* ids);

// Invoke: calls the method `dispid` with the arguments of `params`. Automation passes them last
// first (rgvarg[0] is the last parameter) and counts puArgErr the same way; both are turned
// round here. Each argument may be a value or a reference (VT_BYREF, VT_BYREF | VT_VARIANT): it is
// read once and never written. Strings reach the control as ANSI text; types the control does
// not take as they are (VT_UI1, VT_R4, VT_DATE, VT_DISPATCH ...) are first converted to the
// declared type by the system's conversion. Failures of the engine are results, not errors.
HRESULT InvokeMethod(CTandrelCtrl& ctrl, DISPID dispid, LCID lcid, WORD flags,
                     const DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argErr);

}  // namespace tandrel::com
