#include "vendral/widgets/win32/brix_combo.h"

#include "base/own_module_windows.h"
#include "base/text_windows.h"
#include "controls/control_layout.h"
#include "controls/design_colors.h"
#include "controls/win32/brix_field_parts.h"
#include "controls/win32/field_surface.h"
#include "controls/win32/window_classes.h"
#include "controls/win32/window_twips.h"
#include "vendral/platform_error.h"

namespace vendral {
namespace {

namespace controls = detail::controls;

constexpr int kListId = 3;
constexpr int kArrowId = 4;
// The arrow picture: 9 x 15 pixels.
constexpr int kArrowWidth = 9;
constexpr int kArrowHeight = 15;
constexpr COLORREF kArrowColor = RGB(0x40, 0x40, 0x40);

// Five rows, 9 pixels wide at the top down to 1 at the tip, on the picture's
// middle rows so the arrow lines up with the text beside it.
void DrawArrow(HDC dc, const RECT& rect) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    constexpr int kTopRow = (kArrowHeight - 5) / 2;
    for (int row = 0; row < 5; ++row) {
        for (int x = row; x < kArrowWidth - row; ++x)
            SetPixel(dc, rect.left + x, rect.top + kTopRow + row, kArrowColor);
    }
}

// The list's outline on its outermost pixels.
void DrawFrame(HWND list) {
    HDC dc = GetWindowDC(list);
    RECT rect{};
    GetWindowRect(list, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    const controls::GdiObject<HBRUSH> brush(CreateSolidBrush(controls::kListFrame));
    FrameRect(dc, &rect, brush.get());
    ReleaseDC(list, dc);
}

// The list, its outline and the arrow as the shared layout sees them.
class ComboSurface : public controls::WindowFieldSurface<controls::ComboSurface> {
  public:
    ComboSurface(BrixHintField::Parts& parts, float textSize, std::function<void()> changed,
                 HWND img, HWND lst)
        : WindowFieldSurface(parts, textSize, std::move(changed)), img_(img), lst_(lst) {}

    controls::TwipsRect PlaceArrow(double left, double top) override {
        const controls::TwipsRect rect = controls::WindowTwips(img_);
        return controls::PlaceWindow(img_, {left, top, rect.width, rect.height});
    }
    controls::TwipsRect PlaceList(double top, double width) override {
        const controls::TwipsRect rect = controls::WindowTwips(lst_);
        return controls::PlaceWindow(lst_, {rect.left, top, width, rect.height});
    }
    // The outline is drawn on the list's own edge: it stands where the list
    // does and shows with it.
    void PlaceListFrame(const controls::TwipsRect& /*rect*/, bool visible) override {
        if (visible) RedrawWindow(lst_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    bool ListVisible() const override { return controls::Shown(lst_); }

  private:
    HWND img_;
    HWND lst_;
};

}  // namespace

struct BrixCombo::Impl {
    HWND lst = nullptr;
    HWND img = nullptr;
    // A key the list received may move its selection: that move is a choice.
    bool keyMove = false;
    bool listPressed = false;

    std::string text;
    std::int32_t listIndex = 0;
    std::int32_t itemData = 0;
};

BrixCombo::BrixCombo(HWND parent, int id) : impl_(std::make_unique<Impl>()) {
    CreateSurface(kComboClass, parent, id, 3915, 2055, L"BrixCombo");
}

BrixCombo::BrixCombo(ByWindow, HWND /*window*/) : impl_(std::make_unique<Impl>()) {
    parts_->ownedByWindow = true;
}

BrixCombo::~BrixCombo() = default;

void BrixCombo::BuildParts() {
    HWND control = parts_->control;
    SendMessageW(parts_->txt, EM_SETREADONLY, TRUE, 0);
    impl_->img = CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW | SS_NOTIFY,
        controls::TwipsToPixelsX(3600), 0, kArrowWidth, kArrowHeight, control,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kArrowId)), detail::OwnModule(), nullptr);
    impl_->lst = CreateWindowExW(0, L"LISTBOX", L"",
                                 WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                                     LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                 0, controls::TwipsToPixelsY(570), controls::TwipsToPixelsX(2655),
                                 controls::TwipsToPixelsY(1200), control,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                 detail::OwnModule(), nullptr);
    SendMessageW(impl_->lst, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), FALSE);
    for (const char* entry : {" ", "een", "twee", "drie", "vier", "vijf"}) AddItem(entry, 0);
    // The open list lies above everything else of the control.
    SetWindowPos(impl_->lst, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Watch(impl_->lst);
}

void BrixCombo::Enabled(bool bValue) {
    parts_->enabled = bValue;
    ShowWindow(impl_->img, bValue ? SW_SHOWNA : SW_HIDE);
    txt_LostFocus();
}

std::string BrixCombo::Text() const {
    return impl_->text;
}

std::int32_t BrixCombo::ListIndex() const {
    return impl_->listIndex;
}

std::int32_t BrixCombo::itemdata() const {
    return impl_->itemData;
}

bool BrixCombo::ListOpen() const {
    return controls::Shown(impl_->lst);
}

std::int32_t BrixCombo::AddItem(const std::string& sText, std::int32_t lItemData) {
    const LRESULT index = SendMessageW(impl_->lst, LB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(Utf8ToWide(sText).c_str()));
    if (index == LB_ERRSPACE) throw PlatformError(7, "Out of memory");
    if (index < 0) throw PlatformError(5, "Invalid procedure call or argument");
    SendMessageW(impl_->lst, LB_SETITEMDATA, static_cast<WPARAM>(index),
                 static_cast<LPARAM>(lItemData));
    return static_cast<std::int32_t>(index);
}

bool BrixCombo::Clear() {
    SendMessageW(impl_->lst, LB_RESETCONTENT, 0, 0);
    SetWindowTextW(parts_->txt, L"");
    return true;
}

void BrixCombo::img_Click() {
    if (!controls::Shown(impl_->img)) return;
    if (controls::Shown(impl_->lst)) {
        lst_Click();
        return;
    }
    ShowWindow(parts_->txt, SW_SHOWNA);
    ShowWindow(impl_->lst, SW_SHOWNA);
    // Above the host's other windows, so the list is not covered.
    SetWindowPos(parts_->control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UserControl_Resize();
}

void BrixCombo::txt_Click() {
    img_Click();
}

void BrixCombo::lbl_Click() {
    if (!parts_->enabled) {
        ShowWindow(parts_->lbl, SW_HIDE);
        ShowWindow(parts_->txt, SW_SHOWNA);
        return;
    }
    if (controls::Shown(parts_->txt)) return;
    ShowWindow(parts_->txt, SW_SHOWNA);
    img_Click();
}

void BrixCombo::lst_Click() {
    const LRESULT entry = SendMessageW(impl_->lst, LB_GETCURSEL, 0, 0);
    if (entry >= 0) {
        const auto length = SendMessageW(impl_->lst, LB_GETTEXTLEN, static_cast<WPARAM>(entry), 0);
        std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(impl_->lst, LB_GETTEXT, static_cast<WPARAM>(entry),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
        SetWindowTextW(parts_->txt, text.c_str());
        impl_->text = WideToUtf8(text);
        impl_->listIndex = static_cast<std::int32_t>(entry);
        impl_->itemData = static_cast<std::int32_t>(
            SendMessageW(impl_->lst, LB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
    }
    ShowWindow(impl_->lst, SW_HIDE);
    // An empty text shows the hint label, with or without a tip.
    const bool hint = IsEmpty();
    ShowWindow(parts_->lbl, hint ? SW_SHOWNA : SW_HIDE);
    ShowWindow(parts_->txt, hint ? SW_HIDE : SW_SHOWNA);
    txt_Change();
    UserControl_Resize();
}

void BrixCombo::UserControl_Resize() {
    ComboSurface surface(
        *parts_, TextSize(), [this] { txt_Change(); }, impl_->img, impl_->lst);
    controls::LayCombo(surface);
}

void BrixCombo::ApplyTextSize() {
    BrixHintField::ApplyTextSize();
    SendMessageW(impl_->lst, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->font.get()), TRUE);
}

LRESULT BrixCombo::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const auto from = reinterpret_cast<HWND>(lParam);
            if (from == impl_->img && HIWORD(wParam) == STN_CLICKED) {
                img_Click();
                return 0;
            }
            if (from == impl_->lst && HIWORD(wParam) == LBN_SELCHANGE) {
                // A list box reports a click also when the arrow keys move its
                // selection.
                if (impl_->keyMove) {
                    impl_->keyMove = false;
                    lst_Click();
                }
                return 0;
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->hwndItem != impl_->img) break;
            DrawArrow(item->hDC, item->rcItem);
            return TRUE;
        }
        default:
            break;
    }
    return BrixHintField::Message(message, wParam, lParam);
}

LRESULT BrixCombo::PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                               bool& handled) {
    if (part != impl_->lst)
        return BrixHintField::PartMessage(part, message, wParam, lParam, handled);
    switch (message) {
        case WM_LBUTTONDOWN:
            impl_->listPressed = true;
            break;
        case WM_LBUTTONUP: {
            handled = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            if (controls::ReleaseEndsClick(part, lParam, impl_->listPressed)) lst_Click();
            return result;
        }
        case WM_KEYDOWN: {
            handled = true;
            if (wParam == VK_RETURN) {
                lst_Click();
                return 0;
            }
            impl_->keyMove = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            impl_->keyMove = false;
            return result;
        }
        case WM_NCPAINT: {
            handled = true;
            const LRESULT result = controls::DefaultPartMessage(part, message, wParam, lParam);
            DrawFrame(part);
            return result;
        }
        default:
            break;
    }
    return 0;
}

}  // namespace vendral
