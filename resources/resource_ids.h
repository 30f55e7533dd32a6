#pragma once
// Numeric ids of the dialogs' controls; the named resources ("BG1", "pic_1", ...) are named in varbo.rc.
#define IDC_STATIC_TEXT -1

// PROTEXTDIALOG, the photo-text editor: its edit and the two image buttons.
#define IDC_PROTEXT_EDIT 801
#define IDC_PROTEXT_SAVE 901
#define IDC_PROTEXT_CLOSE 902
