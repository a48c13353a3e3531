// CSplash by its ProgID, late-bound, in this process: what does not cross
// processes is read here from the form's windows (splash_probe reads the
// rest from outside while a script shows the form): the labels' fonts, the
// colours the form gives them and the form's icon.
//   splash_fonts.exe PE-FILE
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <string>

#include "checks.h"

namespace {

using checks::Check;

// A method of the object by name with at most one text argument.
HRESULT Call(IDispatch* object, const wchar_t* name, const wchar_t* text) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    VARIANTARG argument;
    VariantInit(&argument);
    DISPPARAMS parameters{nullptr, nullptr, 0, 0};
    if (text) {
        argument.vt = VT_BSTR;
        argument.bstrVal = SysAllocString(text);
        parameters.rgvarg = &argument;
        parameters.cArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result,
                        nullptr, nullptr);
    VariantClear(&argument);
    VariantClear(&result);
    return hr;
}

void CheckLabel(HWND form, int id, const std::string& name, bool bold) {
    HWND label = GetDlgItem(form, id);
    HFONT font = label ? reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW logical{};
    const bool read = font && GetObjectW(font, sizeof logical, &logical) == sizeof logical;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(825, GetDeviceCaps(screen, LOGPIXELSY), 7200);
    Check(name + " in Tahoma 8.25 pt" + (bold ? ", bold" : ", regular"),
          read && std::wstring(logical.lfFaceName) == L"Tahoma" && logical.lfHeight == height &&
              (logical.lfWeight == (bold ? FW_BOLD : FW_NORMAL)),
          read ? checks::Utf8(logical.lfFaceName) + " height " + std::to_string(logical.lfHeight) +
                     " weight " + std::to_string(logical.lfWeight)
               : "no font");
    // What the form tells the label to draw with: navy text on no background.
    HDC canvas = CreateCompatibleDC(screen);
    SetTextColor(canvas, RGB(1, 2, 3));
    SetBkMode(canvas, OPAQUE);
    LRESULT brush = SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas),
                                 reinterpret_cast<LPARAM>(label));
    Check(name + " draws navy text (0x00800000) with the picture showing through",
          GetTextColor(canvas) == 0x00800000 && GetBkMode(canvas) == TRANSPARENT &&
              brush == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    CoInitialize(nullptr);
    CLSID splashClass{};
    IDispatch* splash = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Vendral.CSplash", &splashClass);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(splashClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&splash));
    Check("Vendral.CSplash is created by its ProgID", SUCCEEDED(hr) && splash);
    if (splash) {
        Check("no splash form before ShowSplash", FindWindowW(L"frmSplash", nullptr) == nullptr);
        Check("ShowSplash runs",
              SUCCEEDED(Call(splash, L"ShowSplash", checks::Wide(argv[1]).c_str())));
        HWND form = FindWindowW(L"frmSplash", nullptr);
        Check("ShowSplash shows the form", form && IsWindowVisible(form));
        if (form) {
            CheckLabel(form, 3100, "Label4", false);
            CheckLabel(form, 3101, "LblApplication", true);
            CheckLabel(form, 3102, "Label5", false);
            CheckLabel(form, 3103, "LblVersion", true);
            CheckLabel(form, 3104, "Label6", false);
            HICON icon = reinterpret_cast<HICON>(GetClassLongPtrW(form, GCLP_HICON));
            ICONINFO info{};
            BITMAP picture{};
            const bool read = icon && GetIconInfo(icon, &info) &&
                              GetObjectW(info.hbmColor, sizeof picture, &picture);
            Check("the form's icon is 32 x 32",
                  read && picture.bmWidth == 32 && picture.bmHeight == 32);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
        for (int step = 0; step < 11; ++step)
            Check("LoadStep " + std::to_string(step + 1),
                  SUCCEEDED(Call(splash, L"LoadStep", nullptr)));
        splash->Release();
        Check("releasing the object closes the form",
              FindWindowW(L"frmSplash", nullptr) == nullptr && !(form && IsWindow(form)));
    }
    CoUninitialize();
    return checks::Finish("splash_fonts");
}
