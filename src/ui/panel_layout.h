#pragma once
// The settings panel below the picture area: its child controls, in creation order.
#include <vector>

#include "common/state.h"

constexpr int kPanelTop = 162;  // the panel hangs from here, just below the closed client area
constexpr int kClientWidth = 400;
constexpr int kClientHeightClosed = 160;
constexpr int kClientHeightOpen = 250;
constexpr int kNoId = -1;

enum class ControlKind {
    Frame,        // disabled plain static
    EtchedFrame,  // disabled static with an etched frame
    GroupBox,
    CheckBox,     // automatic
    PushButton,   // flat
    Radio,        // automatic; the first radio starts the group
    TextField,    // the photo-text static
    FontIcon,     // notifying, centred icon static
};

enum class ControlFont { None, Control, Caption };

struct ControlSpec {
    ControlKind kind;
    const char* text;
    int id;
    int x, y, w, h;
    ControlFont font;
    bool checked;  // initial check state (check boxes and radios)
};

// Controls 3 to 25 of the main window, with their initial check states from the settings.
std::vector<ControlSpec> PanelControls(const SettingsRecord& settings);
