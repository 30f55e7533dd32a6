#pragma once
// Where the mouse is: the zones of the main window's client area.

// Zone numbers, as iHoverZone holds them.
constexpr int kZoneNone = 0;
constexpr int kZoneSizeDial = 1;
constexpr int kZoneQualityDial = 2;
constexpr int kZoneResultFolder = 3;
constexpr int kZoneResetCorner = 5;
constexpr int kZoneBand = 6;
constexpr int kZoneLastResult = 7;
constexpr int kZoneSizeSlide = 8;     // the band while the size selector is latched
constexpr int kZoneQualitySlide = 9;  // the band while the quality selector is latched
constexpr int kZonePanelToggle = 11;
constexpr int kZoneTestButton = 21;
constexpr int kZonePasteButton = 22;
constexpr int kZonePlaceCaption = 23;
constexpr int kZonePhotoText = 26;
constexpr int kZoneColourButton = 27;
constexpr int kZoneFontIcon = 28;
constexpr int kZoneCopyBox = 29;
constexpr int kZoneStripesRadio = 30;

// Client pixels; left and top belong to the rectangle, right and bottom do not.
struct ZoneRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool ContainsStrictly(int x, int y) const { return x > left && x < right && y > top && y < bottom; }
};

constexpr ZoneRect kSizeDialRect{120, 4, 200, 84};
constexpr ZoneRect kQualityDialRect{226, 0, 296, 70};
constexpr ZoneRect kResultFolderRect{332, 8, 392, 58};
constexpr ZoneRect kResetCornerRect{2, 88, 26, 114};
constexpr ZoneRect kPanelToggleRect{304, 2, 334, 18};

// Where the panel controls that have zones of their own lie now, in client pixels.
struct PanelControlRects {
    ZoneRect test, paste, stripes, photoText, colour, fontIcon, copy;
};

// The zone under (x, y); the first rule that matches wins.
int ClassifyZone(int x, int y, const PanelControlRects& panel);
// Zones whose click does something of the window's own show the hand cursor.
bool ZoneShowsHand(int zone);
