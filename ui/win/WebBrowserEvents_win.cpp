#include "WebBrowserEvents_win.h"

#include <exdispid.h>

namespace {

// The event's arguments in the order of its signature (the array holds them
// last first).  A by-reference argument yields the pointer it holds; an
// argument of another type than the browser sends yields null.
class EventArguments {
public:
    explicit EventArguments(DISPPARAMS* params) : m_params(params) {}
    bool Count(UINT count) const { return m_params && m_params->rgvarg && m_params->cArgs == count; }
    VARIANT& At(UINT index) const { return m_params->rgvarg[m_params->cArgs - 1 - index]; }
    VARIANT* VariantRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_VARIANT | VT_BYREF) ? arg.pvarVal : nullptr;
    }
    VARIANT_BOOL* BoolRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_BOOL | VT_BYREF) ? arg.pboolVal : nullptr;
    }
    IDispatch* Dispatch(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == VT_DISPATCH ? arg.pdispVal : nullptr;
    }
    IDispatch** DispatchRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_DISPATCH | VT_BYREF) ? arg.ppdispVal : nullptr;
    }
    BSTR Text(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == VT_BSTR ? arg.bstrVal : nullptr;
    }
    // A 32-bit number, signed or not: the browser's type library declares
    // some flags unsigned, and the event arrives as it declares them.
    DWORD Flags(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == VT_I4 || arg.vt == VT_UI4 ? arg.ulVal : 0;
    }
    bool Has(UINT index, VARTYPE type) const { return At(index).vt == type; }

private:
    DISPPARAMS* m_params;
};

}  // namespace

HRESULT DispatchWebBrowserEvent(DISPID id, DISPPARAMS* params, CWebBrowserEventHandler* handler,
                                const std::function<void()>& onNavigateComplete)
{
    const EventArguments args(params);
    // A browser sends every event in one shape; anything else is not its
    // event and is dropped before an argument is touched.
    switch (id) {
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        if (!args.Count(2) || !args.Has(0, VT_I4) || !args.Has(1, VT_BOOL))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->CommandStateChange(args.At(0).lVal, args.At(1).boolVal);
        return S_OK;
    case DISPID_BEFORENAVIGATE2:
        if (!args.Count(7) || !args.VariantRef(1) || !args.BoolRef(6))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->BeforeNavigate2(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2), args.VariantRef(3),
                                     args.VariantRef(4), args.VariantRef(5), args.BoolRef(6));
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        if (!args.Count(2) || !args.VariantRef(1))
            return DISP_E_BADPARAMCOUNT;
        if (onNavigateComplete)
            onNavigateComplete();
        if (handler)
            handler->NavigateComplete2(args.Dispatch(0), args.VariantRef(1));
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        if (!args.Count(2) || !args.VariantRef(1))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->DocumentComplete(args.Dispatch(0), args.VariantRef(1));
        return S_OK;
    case DISPID_NAVIGATEERROR:
        if (!args.Count(5) || !args.VariantRef(1) || !args.VariantRef(3) || !args.BoolRef(4))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->NavigateError(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2), args.VariantRef(3),
                                   args.BoolRef(4));
        return S_OK;
    case DISPID_NEWWINDOW3:
        // Only the cancel flag is needed to keep the pop-up out of the
        // launcher; flags and addresses of another type than the browser's
        // reach the handler as 0 and null, and the pop-up is still cancelled.
        if (!args.Count(5) || !args.BoolRef(1))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->NewWindow3(args.DispatchRef(0), args.BoolRef(1), args.Flags(2), args.Text(3), args.Text(4));
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
