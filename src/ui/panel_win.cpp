#include "ui/panel_win.h"

#include "common/text.h"
#include "ui/dpi_scale.h"
#include "ui/dpi_win.h"
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

// A child at a logical rectangle, placed in physical pixels.
HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int id, const ZoneRect& at)
{
    auto* instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    auto* menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id == kNoId ? 0 : id));
    return CreateWindowExA(0, cls, text, style, at.left, at.top, at.right - at.left, at.bottom - at.top, parent, menu,
                           instance, nullptr);
}

ZoneRect PhysicalRectOf(const ControlSpec& c, int dpi)
{
    return ToPhysical(ZoneRect{c.x, c.y, c.x + c.w, c.y + c.h}, dpi);
}

HFONT FontOf(const ControlSpec& c, const PanelFonts& fonts)
{
    return c.font == ControlFont::Control ? fonts.control.get()
           : c.font == ControlFont::Caption ? fonts.caption.get() : nullptr;
}

void Place(HWND child, const ZoneRect& at)
{
    if (child)
        SetWindowPos(child, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<HWND> CreatePanelControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts, int dpi)
{
    std::vector<HWND> made;
    bool firstRadio = true;
    for (const ControlSpec& c : PanelControls(settings)) {
        const DWORD style = StyleOf(c, c.kind == ControlKind::Radio && firstRadio);
        if (c.kind == ControlKind::Radio) firstRadio = false;
        HWND child = MakeChild(window, ClassOf(c.kind), c.text, style, c.id, PhysicalRectOf(c, dpi));
        made.push_back(child);
        if (!child) continue;
        if (HFONT font = FontOf(c, fonts)) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.kind == ControlKind::FontIcon && fonts.fontIcon)
            SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(fonts.fontIcon.get()), 0);
        if (c.checked) SendMessageA(child, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (!settings.TrProtext) EnableTextControls(window, false);
    return made;
}

} // namespace

// A missing font leaves the controls with the system font. Heights are cell
// heights in logical pixels, made for the window's DPI.
PanelFonts::PanelFonts(int dpi)
{
    const int controlHeight = ToPhysical(13, dpi);
    const int captionHeight = ToPhysical(16, dpi);
    control.reset(MakeFont(controlHeight, FW_NORMAL, "Verdana"));
    if (!control) control.reset(MakeFont(controlHeight, FW_NORMAL, "Arial"));
    // An empty face leaves the choice to the font mapper, which differs
    // between systems; Arial is what Windows picks for the swiss family,
    // has Cyrillic everywhere, and the group caption is measured for it.
    caption.reset(MakeFont(captionHeight, FW_BOLD, "Arial"));
    if (!caption) caption.reset(MakeFont(captionHeight, FW_BOLD, ""));
    // The static's own icon comes at the system's small size; on a scaled
    // monitor the 32-pixel drawing of ICOFONT gives a sharp larger one.
    if (dpi != kBaseDpi) {
        const int side = ToPhysical(16, dpi);
        fontIcon.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "ICOFONT", IMAGE_ICON, side, side, 0)));
    }
}

ChildWindows CreateChildControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts, int dpi)
{
    // Child 1 shows BG1 under everything; child 2 is the surface the painting
    // draws on, raised above child 1. Both are disabled so the mouse goes to
    // the window. Child 1 clips its sibling out: otherwise, when the system
    // repaints both, child 1 may paint its bitmap over the picture on child 2.
    const ZoneRect picture = ToPhysical(ZoneRect{0, 0, kClientWidth, kClientHeightClosed}, dpi);
    ChildWindows children;
    children.background = MakeChild(window, "STATIC", "bg1", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_BITMAP, kNoId,
                                    picture);
    SetPanelClientArea(window, false, dpi);
    children.display = MakeChild(window, "STATIC", "pic_wite", WS_CHILD | WS_VISIBLE | SS_BITMAP, kNoId, picture);
    // A bitmap static sizes itself to its bitmap, which is drawn for 96 dpi:
    // on a scaled monitor the picture area is set again.
    if (dpi != kBaseDpi) {
        Place(children.background, picture);
        Place(children.display, picture);
    }
    if (children.display) SetWindowPos(children.display, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (children.background) EnableWindow(children.background, FALSE);
    if (children.display) EnableWindow(children.display, FALSE);
    children.panel = CreatePanelControls(window, settings, fonts, dpi);
    return children;
}

void LayOutChildControls(const ChildWindows& children, const SettingsRecord& settings, const PanelFonts& fonts, int dpi)
{
    const ZoneRect picture = ToPhysical(ZoneRect{0, 0, kClientWidth, kClientHeightClosed}, dpi);
    Place(children.background, picture);
    Place(children.display, picture);
    const std::vector<ControlSpec> controls = PanelControls(settings);
    for (size_t i = 0; i < controls.size() && i < children.panel.size(); ++i) {
        HWND child = children.panel[i];
        if (!child) continue;
        Place(child, PhysicalRectOf(controls[i], dpi));
        if (HFONT font = FontOf(controls[i], fonts)) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (controls[i].kind == ControlKind::FontIcon && fonts.fontIcon)
            SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(fonts.fontIcon.get()), 0);
    }
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

void SetPanelClientArea(HWND window, bool open, int dpi)
{
    const SIZE client{ToPhysical(kClientWidth, dpi), ToPhysical(open ? kClientHeightOpen : kClientHeightClosed, dpi)};
    const SIZE outer = OuterSizeFor(window, client, dpi);
    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

PanelControlRects CurrentPanelRects(HWND window, int dpi)
{
    auto rectOf = [window, dpi](int id) {
        ZoneRect z;
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (HWND control = GetDlgItem(window, id); control && GetWindowPlacement(control, &wp))
            z = ToLogical(ZoneRect{wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right,
                                   wp.rcNormalPosition.bottom}, dpi);
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
