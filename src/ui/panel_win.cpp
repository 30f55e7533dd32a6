#include "ui/panel_win.h"

#include "common/text.h"
#include "ui/panel_layout.h"
#include "ui/window_commands.h"

namespace {

HFONT MakeFont(int height, int weight, const char* face)
{
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_STRING_PRECIS, CLIP_EMBEDDED,
                       PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, face);
}

DWORD StyleOf(const ControlSpec& c, bool firstRadio)
{
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
    case ControlKind::Frame: return style | WS_DISABLED;
    case ControlKind::EtchedFrame: return style | WS_DISABLED | SS_ETCHEDFRAME | WS_GROUP;  // ends the radio group
    case ControlKind::GroupBox: return style | BS_GROUPBOX;
    case ControlKind::CheckBox: return style | BS_AUTOCHECKBOX;
    case ControlKind::PushButton: return style | BS_PUSHBUTTON | BS_FLAT;
    case ControlKind::Radio: return style | BS_AUTORADIOBUTTON | (firstRadio ? WS_GROUP : 0);
    case ControlKind::TextField: return style | SS_LEFT | SS_NOPREFIX;  // the photo text as it is: "&" underlines nothing
    case ControlKind::FontIcon: return style | SS_ICON | SS_NOTIFY | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
    }
    return style;
}

const char* ClassOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Frame:
    case ControlKind::EtchedFrame:
    case ControlKind::TextField:
    case ControlKind::FontIcon: return "STATIC";
    default: return "BUTTON";
    }
}

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h)
{
    auto* instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    auto* menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id == kNoId ? 0 : id));
    return CreateWindowExA(0, cls, text, style, x, y, w, h, parent, menu, instance, nullptr);
}

void CreatePanelControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts)
{
    bool firstRadio = true;
    for (const ControlSpec& c : PanelControls(settings)) {
        const DWORD style = StyleOf(c, c.kind == ControlKind::Radio && firstRadio);
        if (c.kind == ControlKind::Radio) firstRadio = false;
        HWND child = MakeChild(window, ClassOf(c.kind), c.text, style, c.id, c.x, c.y, c.w, c.h);
        if (!child) continue;
        const HFONT font = c.font == ControlFont::Control ? fonts.control.get()
                           : c.font == ControlFont::Caption ? fonts.caption.get() : nullptr;
        if (font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.checked) SendMessageA(child, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (!settings.TrProtext) EnableTextControls(window, false);
}

} // namespace

// A missing font leaves the controls with the system font.
PanelFonts::PanelFonts()
{
    control.reset(MakeFont(13, FW_NORMAL, "Verdana"));
    if (!control) control.reset(MakeFont(13, FW_NORMAL, "Arial"));
    // An empty face leaves the choice to the font mapper, which differs
    // between systems; Arial is what Windows picks for the swiss family,
    // has Cyrillic everywhere, and the group caption is measured for it.
    caption.reset(MakeFont(16, FW_BOLD, "Arial"));
    if (!caption) caption.reset(MakeFont(16, FW_BOLD, ""));
}

HWND CreateChildControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts)
{
    // Child 1 shows BG1 under everything; child 2 is the surface the painting
    // draws on, raised above child 1. Both are disabled so the mouse goes to
    // the window. Child 1 clips its sibling out: otherwise, when the system
    // repaints both, child 1 may paint its bitmap over the picture on child 2.
    HWND background = MakeChild(window, "STATIC", "bg1", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_BITMAP, kNoId, 0, 0,
                                kClientWidth, kClientHeightClosed);
    SetPanelClientArea(window, false);
    HWND display = MakeChild(window, "STATIC", "pic_wite", WS_CHILD | WS_VISIBLE | SS_BITMAP, kNoId, 0, 0, kClientWidth,
                             kClientHeightClosed);
    if (display) SetWindowPos(display, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (background) EnableWindow(background, FALSE);
    if (display) EnableWindow(display, FALSE);
    CreatePanelControls(window, settings, fonts);
    return display;
}

HWND ColourButton(HWND window)
{
    return GetDlgItem(window, kIdColourButton);
}

void EnableTextControls(HWND window, bool enable)
{
    for (int id : kTextControlIds) {
        if (HWND control = GetDlgItem(window, id)) EnableWindow(control, enable ? TRUE : FALSE);
    }
}

void SetPanelClientArea(HWND window, bool open)
{
    RECT r{0, 0, kClientWidth, open ? kClientHeightOpen : kClientHeightClosed};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

PanelControlRects CurrentPanelRects(HWND window)
{
    auto rectOf = [window](int id) {
        ZoneRect z;
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (HWND control = GetDlgItem(window, id); control && GetWindowPlacement(control, &wp))
            z = {wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right, wp.rcNormalPosition.bottom};
        return z;
    };
    PanelControlRects p;
    p.test = rectOf(kIdTestButton);
    p.paste = rectOf(kIdPasteButton);
    p.stripes = rectOf(kIdStripesRadio);
    p.photoText = rectOf(kIdPhotoText);
    p.colour = rectOf(kIdColourButton);
    p.fontIcon = rectOf(kIdFontIcon);
    p.copy = rectOf(kIdCopyBox);
    return p;
}

void SetPhotoTextField(HWND window, const std::string& text)
{
    HWND field = GetDlgItem(window, kIdPhotoText);
    if (!field) return;
    const std::string shown = Utf8Prefix(text, kProtextMaxLen);
    // The notes timer calls this every 700 ms while the panel is open; setting the
    // same text again would only make the field flicker.
    std::string current(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    current.resize(static_cast<size_t>(GetWindowTextA(field, current.data(), static_cast<int>(current.size()))));
    if (current != shown) SetWindowTextA(field, shown.c_str());
}
