#include "vendral/widgets/win32/brix_textbox.h"

#include <cstdint>

#include "base/text_windows.h"
#include "controls/control_layout.h"
#include "controls/max_length_rule.h"
#include "controls/win32/brix_field_parts.h"
#include "controls/win32/field_surface.h"
#include "controls/win32/window_classes.h"

namespace vendral {
namespace {

namespace controls = detail::controls;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Characters are code points: the second half of a surrogate pair is none.
std::int64_t CodePoints(const std::wstring& text) {
    std::int64_t count = 0;
    for (wchar_t unit : text) {
        if (!IS_LOW_SURROGATE(unit)) ++count;
    }
    return count;
}

// The edit's text without its selection, which typing or pasting replaces.
std::wstring TextOutsideSelection(HWND edit) {
    std::wstring text = WindowText(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start < end && end <= text.size()) text.erase(start, end - start);
    return text;
}

// The clipboard's text as a single-line edit pastes it (up to a line break).
std::wstring ClipboardLine(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text.substr(0, text.find_first_of(L"\r\n"));
}

}  // namespace

struct BrixTextBox::Impl {
    std::int32_t limit = 0;
    // The length of the text the box holds now, whoever set it.
    std::int64_t accepted = 0;
};

BrixTextBox::BrixTextBox(HWND parent, int id) : impl_(std::make_unique<Impl>()) {
    // The host sites the control at its design size.
    CreateSurface(kTextBoxClass, parent, id, 3615, 660, L"BrixTextBox");
    impl_->accepted = CodePoints(WindowText(parts_->txt));
}

BrixTextBox::BrixTextBox(ByWindow, HWND /*window*/) : impl_(std::make_unique<Impl>()) {
    parts_->ownedByWindow = true;
}

BrixTextBox::~BrixTextBox() = default;

void BrixTextBox::Enabled(bool bValue) {
    parts_->enabled = bValue;
    SendMessageW(parts_->txt, EM_SETREADONLY, bValue ? FALSE : TRUE, 0);
    txt_LostFocus();
}

float BrixTextBox::MaxLength() const {
    return static_cast<float>(impl_->limit);
}

void BrixTextBox::MaxLength(float sValue) {
    impl_->limit = controls::RoundedMaxLength(sValue);
}

std::string BrixTextBox::Text() const {
    return WideToUtf8(WindowText(parts_->txt));
}

void BrixTextBox::Text(const std::string& sValue) {
    SetWindowTextW(parts_->txt, Utf8ToWide(sValue).c_str());
}

void BrixTextBox::lbl_Click() {
    if (!parts_->enabled) {
        ShowWindow(parts_->lbl, SW_HIDE);
        ShowWindow(parts_->txt, SW_SHOWNA);
        return;
    }
    if (controls::Shown(parts_->txt)) return;
    ShowWindow(parts_->txt, SW_SHOWNA);
    SetFocus(parts_->txt);
}

void BrixTextBox::UserControl_Resize() {
    controls::WindowFieldSurface<controls::HintFieldSurface> surface(*parts_, TextSize(),
                                                                     [this] { txt_Change(); });
    controls::LayTextBox(surface);
}

void BrixTextBox::TextChanged() {
    if (impl_) impl_->accepted = CodePoints(WindowText(parts_->txt));
    BrixHintField::TextChanged();
}

LRESULT BrixTextBox::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            // The window's text is the text box's.
            if (parts_->txt != nullptr) return SendMessageW(parts_->txt, message, wParam, lParam);
            break;
        default:
            break;
    }
    return BrixHintField::Message(message, wParam, lParam);
}

LRESULT BrixTextBox::PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                                 bool& handled) {
    if (part == parts_->txt && impl_->limit > 0) {
        std::int64_t added = -1;
        if (message == WM_CHAR && wParam >= 0x20 && wParam != 0x7F) {
            added = IS_LOW_SURROGATE(static_cast<wchar_t>(wParam)) ? 0 : 1;
        } else if (message == WM_PASTE) {
            added = CodePoints(ClipboardLine(part));
        }
        if (added >= 0) {
            const std::int64_t length = CodePoints(TextOutsideSelection(part)) + added;
            if (!controls::EditAccepted(impl_->limit, impl_->accepted, length)) {
                handled = true;
                return 0;
            }
        }
    }
    return BrixHintField::PartMessage(part, message, wParam, lParam, handled);
}

}  // namespace vendral
