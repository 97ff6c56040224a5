// Resource identifiers of the launcher's own pictures (launcher.rc), shared by
// the resource script and the code that loads them. Plain #defines so that
// windres can read this file too.
#pragma once

// The program icon (32 x 32, 256 colours): the lowest icon ID, so it is also
// the icon Explorer shows for Brinefold.scr.
#define IDI_BRINEFOLD 1

// The settings dialog's pictures.
#define IDB_RADIO_UNSELECTED 3001  // Img_Ra(0), 12 x 12
#define IDB_RADIO_SELECTED 3002    // Img_Ra(1), 12 x 12
#define IDB_PANEL_STRIP 3003       // Pic_Mbl, 556 x 20
#define IDC_LINK_HAND 3004         // lbl_URL's pointer, 32 x 32 monochrome, hot spot (12, 10)

// The preview form's picture Img_Prev, 152 x 112.
#define IDB_PREVIEW 3010

// The Command button's six skins, 64 x 25, in CommandSkin order.
#define IDB_SKIN_NORMAL 3020
#define IDB_SKIN_HIGHLIGHT 3021
#define IDB_SKIN_HIGHLIGHTSELECT 3022
#define IDB_SKIN_SELECTED 3023
#define IDB_SKIN_PRESSED 3024
#define IDB_SKIN_DISABLE 3025
