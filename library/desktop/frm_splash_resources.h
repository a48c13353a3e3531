// The resources of the Windows splash form (frm_splash_windows.rc) and its
// controls' ids; read by the resource compiler and by C++.
#pragma once

// The background picture (24-bit, 415 x 251) and the form's icon.
#define IDB_SPLASH_BACKGROUND 3000
#define IDI_SPLASH 3001

// The controls, in the order of the form.
#define IDC_SPLASH_LABEL4 3100
#define IDC_SPLASH_LBLAPPLICATION 3101
#define IDC_SPLASH_LABEL5 3102
#define IDC_SPLASH_LBLVERSION 3103
#define IDC_SPLASH_LABEL6 3104
#define IDC_SPLASH_PICTURE1 3105
