#pragma once
// Resource ids of the program file, grouped by the window that uses them. Included by
// launcher.rc and by the C++ code, so it holds nothing but #define lines.
// The product profile's string ids are listed in profile_strings.inc (102 to 197).

// ---- The program as a whole ------------------------------------------------------------
#define IDI_MAIN_ICON 180  // big window icon of the frame
#define IDI_TRAY_ICON 273  // tray icon
#define IDR_ZIP 269        // embedded archive, resource type "ZIP"

// ---- Frame window (dialog 101) ---------------------------------------------------------
#define IDD_FRAME 101
#define IDR_TRAY_MENU 151
#define IDR_FRAME_ACCEL 303

#define IDP_TITLE_MIDDLE 172  // 1 x 30, tiled
#define IDP_TITLE_LEFT 203    // 203 x 30
#define IDP_TITLE_RIGHT 206   // 92 x 30

// Title-bar buttons: normal, hover, pressed.
#define IDP_CLOSE_NORMAL 207
#define IDP_CLOSE_HOVER 208
#define IDP_CLOSE_PRESSED 227
#define IDP_MAXIMIZE_NORMAL 220
#define IDP_MAXIMIZE_HOVER 213
#define IDP_MAXIMIZE_PRESSED 228
#define IDP_RESTORE_NORMAL 221
#define IDP_RESTORE_HOVER 217
#define IDP_RESTORE_PRESSED 229
#define IDP_MINIMIZE_NORMAL 209
#define IDP_MINIMIZE_HOVER 210
#define IDP_MINIMIZE_PRESSED 230
#define IDP_FULLSCREEN_NORMAL 224
#define IDP_FULLSCREEN_HOVER 214
#define IDP_FULLSCREEN_PRESSED 234
#define IDP_BOSSKEY_NORMAL 223
#define IDP_BOSSKEY_HOVER 215
#define IDP_BOSSKEY_PRESSED 233
#define IDP_CLEARCACHE_NORMAL 252
#define IDP_CLEARCACHE_HOVER 253
#define IDP_CLEARCACHE_PRESSED 261
#define IDP_REFRESH_NORMAL 226
#define IDP_REFRESH_HOVER 219
#define IDP_REFRESH_PRESSED 236
#define IDP_SELECTSERVER_NORMAL 211
#define IDP_SELECTSERVER_HOVER 212
#define IDP_SELECTSERVER_PRESSED 231

#define IDC_FRAME_CLOSE 1001
#define IDC_FRAME_RESTORE 1002
#define IDC_FRAME_MINIMIZE 1003
#define IDC_FRAME_FULLSCREEN 1004
#define IDC_FRAME_BOSSKEY 1005
#define IDC_FRAME_SELECTSERVER 1007
#define IDC_FRAME_MAXIMIZE 1008
#define IDC_FRAME_UNUSED_1011 1011  // bound, never used
#define IDC_FRAME_UNUSED_1017 1017  // bound, never used
#define IDC_FRAME_REFRESH 1021
#define IDC_FRAME_CLEARCACHE 1030
#define IDC_FRAME_STATIC 1031  // never touched

// Tray menu 151 and accelerator table 303.
#define ID_TRAY_SHOWHIDE 32775
#define ID_TRAY_CLEARCACHE 32776
#define ID_TRAY_EXIT 32777
#define ID_ACCEL_F5 32778

// Commands between windows of the launcher process.
#define ID_GAME_URL_CAPTURED 10001  // web login form -> its pop-up
#define ID_CACHE_CLEANED 10002      // cache-cleaning worker -> frame

// ---- Login window (dialog 103) ---------------------------------------------------------
#define IDD_LOGIN 103
#define IDP_LOGIN_BACKGROUND 319  // 1396 x 847, per-pixel alpha

// ---- Login pop-up with the web login form (dialog 1015) --------------------------------
#define IDD_LOGIN_POPUP 1015
#define IDB_POPUP_BACKGROUND 318  // bitmap 697 x 533, 24 bits, tiled
#define IDP_POPUP_MINIMIZE_NORMAL 320
#define IDP_POPUP_MINIMIZE_HOVER 321
#define IDP_POPUP_MINIMIZE_PRESSED 322
#define IDP_POPUP_CLOSE_NORMAL 323
#define IDP_POPUP_CLOSE_HOVER 324
#define IDP_POPUP_CLOSE_PRESSED 325
#define IDC_POPUP_MINIMIZE 1016
#define IDC_POPUP_CLOSE 1027

// ---- Message box (dialog 164) ----------------------------------------------------------
#define IDD_MESSAGE_BOX 164
#define IDP_MSGBOX_BACKGROUND 304  // 258 x 112
#define IDP_MSGBOX_CANCEL_HOT 311
#define IDP_MSGBOX_CANCEL_NORMAL 312
#define IDP_MSGBOX_OK_HOT 313
#define IDP_MSGBOX_OK_NORMAL 314
#define IDP_MSGBOX_CLOSE 316
#define IDC_MSGBOX_CLOSE 1001

// ---- Notice overlay (dialog 274) -------------------------------------------------------
#define IDD_NOTICE 274
#define IDP_NOTICE_TINT 275  // 1 x 1
#define IDP_NOTICE_FRAME1 276
#define IDP_NOTICE_FRAME2 277
#define IDP_NOTICE_FRAME3 278
#define IDP_NOTICE_FRAME4 279

// ---- Game window of the game host process (dialog 328) ---------------------------------
#define IDD_GAME_WINDOW 328
#define IDC_GAME_VIEW 10000
