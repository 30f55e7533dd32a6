#pragma once
// Numeric ids of the dialogs' controls; the named resources ("BG1", "pic_1", ...) are named in varbo.rc.
#define IDC_STATIC_TEXT -1
