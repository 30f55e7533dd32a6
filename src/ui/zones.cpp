#include "ui/zones.h"

#include <initializer_list>

int ClassifyZone(int x, int y, const PanelControlRects& panel)
{
    // The band comes first, so its top rows win over the reset corner (y 111..113).
    if (y >= 111 && y <= 153) return kZoneBand;
    if (y >= 181 && y <= 199 && x < 70) return kZonePlaceCaption;
    if (y < 80 && x < 80) return kZoneLastResult;

    struct Area { const ZoneRect& rect; int zone; };
    for (const Area& a : {Area{kSizeDialRect, kZoneSizeDial}, Area{kQualityDialRect, kZoneQualityDial},
                          Area{kResultFolderRect, kZoneResultFolder}, Area{kResetCornerRect, kZoneResetCorner},
                          Area{kPanelToggleRect, kZonePanelToggle}}) {
        if (a.rect.Contains(x, y)) return a.zone;
    }

    // Panel controls only below the picture area, and only well inside them:
    // on a control's border the mouse belongs to the group box around it.
    if (y >= 150) {
        for (const Area& a : {Area{panel.test, kZoneTestButton}, Area{panel.paste, kZonePasteButton},
                              Area{panel.stripes, kZoneStripesRadio}, Area{panel.photoText, kZonePhotoText},
                              Area{panel.colour, kZoneColourButton}, Area{panel.fontIcon, kZoneFontIcon},
                              Area{panel.copy, kZoneCopyBox}}) {
            if (a.rect.ContainsStrictly(x, y)) return a.zone;
        }
    }
    return kZoneNone;
}

bool ZoneShowsHand(int zone)
{
    switch (zone) {
    case kZoneResultFolder:
    case kZoneResetCorner:
    case kZoneBand:
    case kZoneLastResult:
    case kZonePanelToggle:
        return true;
    default:
        return false;
    }
}
