#include "vendral/widgets/win32/brix_hint_field.h"

#include "base/own_module_windows.h"
#include "base/text_windows.h"
#include "controls/design_colors.h"
#include "controls/hint_field_rules.h"
#include "controls/win32/brix_field_parts.h"
#include "controls/win32/window_classes.h"
#include "controls/win32/window_twips.h"

namespace vendral {
namespace {

namespace controls = detail::controls;

constexpr int kTextId = 1;
constexpr int kHintId = 2;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

controls::GdiObject<HFONT> DesignFont(float points) {
    return controls::GdiObject<HFONT>(CreateFontW(
        -controls::FontPixels(points), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
}

controls::GdiObject<HBRUSH> Brush(std::uint32_t color) {
    return controls::GdiObject<HBRUSH>(CreateSolidBrush(color));
}

HWND Child(const wchar_t* className, const wchar_t* text, DWORD style, HWND parent, int id,
           const controls::TwipsRect& rect) {
    return CreateWindowExW(
        0, className, text, WS_CHILD | WS_CLIPSIBLINGS | style, controls::TwipsToPixelsX(rect.left),
        controls::TwipsToPixelsY(rect.top), controls::TwipsToPixelsX(rect.width),
        controls::TwipsToPixelsY(rect.height), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), detail::OwnModule(), nullptr);
}

}  // namespace

BrixHintField::BrixHintField() : parts_(std::make_unique<Parts>()) {}

BrixHintField::~BrixHintField() {
    HWND window = parts_->control;
    if (window == nullptr) return;
    // The window's last messages must not reach an object that is going.
    SetWindowLongPtrW(window, 0, 0);
    parts_->control = nullptr;
    if (!parts_->ownedByWindow) DestroyWindow(window);
}

HWND BrixHintField::hWnd() const {
    return parts_->control;
}

void BrixHintField::Events(BrixFieldEvents* listener) {
    parts_->events = listener;
}

void BrixHintField::Attach(const wchar_t* designText) {
    HWND control = parts_->control;
    parts_->fontPixels = controls::FontPixels(controls::kDesignTextSize);
    parts_->font = DesignFont(controls::kDesignTextSize);
    parts_->txtBrush = Brush(parts_->txtBack);
    parts_->lblBrush = Brush(parts_->lblBack);

    parts_->lbl = Child(L"STATIC", L"", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, control, kHintId,
                        {0, 300, 3585, 225});
    parts_->txt = Child(L"EDIT", designText, WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                        control, kTextId, {0, 0, 3585, 210});
    // No limit of the edit's own: MaxLength is the control's.
    SendMessageW(parts_->txt, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(parts_->txt, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), FALSE);
    SendMessageW(parts_->lbl, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), FALSE);
    // The text box covers the hint whenever both show.
    SetWindowPos(parts_->txt, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Watch(parts_->txt);
    BuildParts();
    UserControl_Initialize();
    UserControl_Resize();
}

float BrixHintField::TextSize() const {
    return controls::FontPoints(parts_->fontPixels);
}

void BrixHintField::TextSize(float sValue) {
    controls::CheckTextSize(sValue);
    // The old font stays until no window uses it.
    const controls::GdiObject<HFONT> previous = std::move(parts_->font);
    parts_->fontPixels = controls::FontPixels(sValue);
    parts_->font = DesignFont(TextSize());
    SendMessageW(parts_->txt, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), TRUE);
    ApplyTextSize();
    UserControl_Resize();
}

void BrixHintField::ApplyTextSize() {
    SendMessageW(parts_->lbl, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), TRUE);
}

std::string BrixHintField::FieldTip() const {
    return parts_->fieldTip;
}

void BrixHintField::FieldTip(const std::string& sValue) {
    parts_->fieldTip = controls::FieldTipText(sValue);
    SetWindowTextW(parts_->lbl, Utf8ToWide(parts_->fieldTip).c_str());
}

bool BrixHintField::Enabled() const {
    return parts_->enabled;
}

std::int32_t BrixHintField::Alignment() const {
    return parts_->alignment;
}

void BrixHintField::Alignment(std::int32_t lValue) {
    const std::int16_t alignment = controls::CheckedAlignment(lValue);
    static constexpr LONG_PTR kStyles[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    LONG_PTR style = GetWindowLongPtrW(parts_->txt, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(ES_LEFT | ES_RIGHT | ES_CENTER)) | kStyles[alignment];
    SetWindowLongPtrW(parts_->txt, GWL_STYLE, style);
    parts_->alignment = alignment;
    InvalidateRect(parts_->txt, nullptr, TRUE);
}

bool BrixHintField::Mandatory() const {
    return parts_->mandatory;
}

void BrixHintField::Mandatory(bool bValue) {
    parts_->mandatory = bValue;
    parts_->hintColor = controls::HintColor(bValue);
    parts_->lineColor = parts_->hintColor;
    InvalidateRect(parts_->lbl, nullptr, TRUE);
    InvalidateRect(parts_->control, nullptr, TRUE);
}

bool BrixHintField::IsEmpty() const {
    return controls::IsEmptyText(WideToUtf8(WindowText(parts_->txt)));
}

void BrixHintField::txt_Change() {
    const bool visible = controls::UnderlineVisible(parts_->enabled, IsEmpty());
    if (visible == parts_->lineVisible) return;
    parts_->lineVisible = visible;
    InvalidateRect(parts_->control, nullptr, TRUE);
}

void BrixHintField::txt_GotFocus() {
    parts_->txtBack = controls::kLightGrey;
    parts_->txtBrush = Brush(parts_->txtBack);
    SendMessageW(parts_->txt, EM_SETSEL, 0, GetWindowTextLengthW(parts_->txt));
    parts_->lblBack = parts_->txtBack;
    parts_->lblBrush = Brush(parts_->lblBack);
    InvalidateRect(parts_->txt, nullptr, TRUE);
    InvalidateRect(parts_->lbl, nullptr, TRUE);
}

void BrixHintField::txt_LostFocus() {
    parts_->txtBack = controls::kWhite;
    parts_->txtBrush = Brush(parts_->txtBack);
    parts_->lblBack = parts_->txtBack;
    parts_->lblBrush = Brush(parts_->lblBack);
    InvalidateRect(parts_->txt, nullptr, TRUE);
    InvalidateRect(parts_->lbl, nullptr, TRUE);
    const bool hint = controls::HintShownOnLostFocus(parts_->enabled, IsEmpty(), parts_->fieldTip);
    ShowWindow(parts_->lbl, hint ? SW_SHOWNA : SW_HIDE);
    ShowWindow(parts_->txt, hint ? SW_HIDE : SW_SHOWNA);
    txt_Change();
}

void BrixHintField::UserControl_Initialize() {
    // Runs while the field still counts as disabled; nothing redoes it until
    // the first focus change or Enabled assignment.
    parts_->enabled = false;
    txt_LostFocus();
    parts_->enabled = true;
}

void BrixHintField::TextChanged() {
    txt_Change();
    if (parts_->events != nullptr) parts_->events->Change(*this);
    // The parent hears of it as of an edit control's change.
    HWND control = parts_->control;
    if (control != nullptr && GetParent(control) != nullptr) {
        SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), EN_CHANGE),
                     reinterpret_cast<LPARAM>(control));
    }
}

LRESULT BrixHintField::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = parts_->control;
    switch (message) {
        case WM_COMMAND: {
            const auto from = reinterpret_cast<HWND>(lParam);
            if (from == parts_->txt && HIWORD(wParam) == EN_CHANGE) {
                TextChanged();
                return 0;
            }
            if (from == parts_->lbl && HIWORD(wParam) == STN_CLICKED) {
                lbl_Click();
                return 0;
            }
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const auto from = reinterpret_cast<HWND>(lParam);
            if (from == parts_->txt) {
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, parts_->txtBack);
                return reinterpret_cast<LRESULT>(parts_->txtBrush.get());
            }
            if (from == parts_->lbl) {
                SetTextColor(dc, parts_->hintColor);
                SetBkColor(dc, parts_->lblBack);
                return reinterpret_cast<LRESULT>(parts_->lblBrush.get());
            }
            break;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(control, &paint);
            if (parts_->lineVisible) {
                // Dotted: one pixel on, one off.
                const int y = controls::TwipsToPixelsY(parts_->y1);
                const int last = controls::TwipsToPixelsX(parts_->x2);
                for (int x = controls::TwipsToPixelsX(parts_->x1); x < last; x += 2)
                    SetPixel(dc, x, y, parts_->lineColor);
            }
            EndPaint(control, &paint);
            return 0;
        }
        case WM_SIZE:
            if (parts_->txt != nullptr) UserControl_Resize();
            return 0;
        case WM_SETFOCUS:
            if (parts_->txt != nullptr && controls::Shown(parts_->txt)) SetFocus(parts_->txt);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

LRESULT BrixHintField::PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                                   bool& handled) {
    if (part != parts_->txt) return 0;
    switch (message) {
        case WM_SETFOCUS: {
            handled = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            // The first focus of the form counts; the return of a focus that
            // only left the form does not.
            if (!parts_->focusOutOfForm) txt_GotFocus();
            parts_->focusOutOfForm = false;
            return result;
        }
        case WM_KILLFOCUS: {
            handled = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            const auto next = reinterpret_cast<HWND>(wParam);
            parts_->focusOutOfForm =
                next == nullptr || GetAncestor(next, GA_ROOT) != GetAncestor(part, GA_ROOT);
            if (!parts_->focusOutOfForm) txt_LostFocus();
            return result;
        }
        case WM_LBUTTONDOWN:
            parts_->pressed = true;
            break;
        case WM_LBUTTONUP: {
            handled = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            if (controls::ReleaseEndsClick(part, lParam, parts_->pressed)) txt_Click();
            return result;
        }
        default:
            break;
    }
    return 0;
}

}  // namespace vendral
