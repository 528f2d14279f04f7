/* Resource ids of the program's icon, pictures and button glyphs.
 *
 * Read by windres as well as by the C++ code, so keep to plain #defines. The pictures and
 * glyphs are 32-bit RGBA PNG files stored as RCDATA: draw them with alpha blending.
 * assets.list names the drawing behind each id.
 */
#ifndef MIRULO_ASSET_IDS_H
#define MIRULO_ASSET_IDS_H

/* Program icon: ten sizes from 16 to 256 pixels; the window, the task bar and the
   notification area all use it. */
#define IDI_MIRULO 1

/* Decorative pictures of the main window, each at the size of its place. */
#define IDR_IMG_05 201     /* img_05: banner above the picture list, 321 x 50 */
#define IDR_IMG_01 202     /* img_01: illustration beside the file buttons, 80 x 103 */
#define IDR_IMG_02 203     /* img_02: illustration on the first settings page, 100 x 100 */
#define IDR_IMG_03 204     /* img_03: illustration strip on the second settings page, 403 x 89 */
#define IDR_IMG_04 205     /* img_04: illustration strip on the third settings page, 403 x 89 */
#define IDR_IMG_TITLE1 206 /* img_Title1: the program's name in colour, 200 x 34 */
#define IDR_IMG_TITLE2 207 /* img_Title2: the program's name in grey for business mode, 200 x 34 */

/* Glyphs of the icon buttons: 24 x 24 for the 39 x 31 buttons, 14 x 14 for the two
   buttons on the tab strip. */
#define IDR_GLYPH_FOLDER 301    /* open folder: btn_OpenFolder, btn_SaveFolder, btn_Editor, btn_SoundFolder */
#define IDR_GLYPH_RELOAD 302    /* circular arrow: btn_ReLoad, btn_RefreshMP3List */
#define IDR_GLYPH_DUST 303      /* dust bin: btn_Dust */
#define IDR_GLYPH_RENAME 304    /* pencil over a name field: btn_ReName */
#define IDR_GLYPH_CLIPBOARD 305 /* clipboard: btn_Clipboard */
#define IDR_GLYPH_VIEWER 306    /* picture under a magnifier: btn_Viewer */
#define IDR_GLYPH_EDITOR 307    /* palette and brush: btn_Edit */
#define IDR_GLYPH_MINIMIZE 308  /* bar: btn_Minimized, 14 x 14 */
#define IDR_GLYPH_CLOSE 309     /* cross: btn_Close, 14 x 14 */

/* Glyphs of the viewer's strip, 24 x 24 for its 39 x 31 buttons (the viewer also uses
   IDR_GLYPH_DUST, IDR_GLYPH_CLIPBOARD and IDR_GLYPH_EDITOR). */
#define IDR_GLYPH_PREVIOUS 310 /* arrow to the left: btn_L */
#define IDR_GLYPH_NEXT 311     /* arrow to the right: btn_R */
#define IDR_GLYPH_GRAY 312     /* landscape in greys: btn_Gray */
#define IDR_GLYPH_SEPIA 313    /* landscape in sepia: btn_Sepia */
#define IDR_GLYPH_PRINT 314    /* printer with a sheet: btn_Print */

/* Renditions for scaled displays: every picture and glyph drawn again at 150 % and
   200 % of its size (rounded to whole pixels), numbered 1000 and 2000 above the drawing's
   own id. A display between these scales gets the next larger rendition, shrunk. */
#define IDR_IMG_05_150 1201
#define IDR_IMG_05_200 2201
#define IDR_IMG_01_150 1202
#define IDR_IMG_01_200 2202
#define IDR_IMG_02_150 1203
#define IDR_IMG_02_200 2203
#define IDR_IMG_03_150 1204
#define IDR_IMG_03_200 2204
#define IDR_IMG_04_150 1205
#define IDR_IMG_04_200 2205
#define IDR_IMG_TITLE1_150 1206
#define IDR_IMG_TITLE1_200 2206
#define IDR_IMG_TITLE2_150 1207
#define IDR_IMG_TITLE2_200 2207
#define IDR_GLYPH_FOLDER_150 1301
#define IDR_GLYPH_FOLDER_200 2301
#define IDR_GLYPH_RELOAD_150 1302
#define IDR_GLYPH_RELOAD_200 2302
#define IDR_GLYPH_DUST_150 1303
#define IDR_GLYPH_DUST_200 2303
#define IDR_GLYPH_RENAME_150 1304
#define IDR_GLYPH_RENAME_200 2304
#define IDR_GLYPH_CLIPBOARD_150 1305
#define IDR_GLYPH_CLIPBOARD_200 2305
#define IDR_GLYPH_VIEWER_150 1306
#define IDR_GLYPH_VIEWER_200 2306
#define IDR_GLYPH_EDITOR_150 1307
#define IDR_GLYPH_EDITOR_200 2307
#define IDR_GLYPH_MINIMIZE_150 1308
#define IDR_GLYPH_MINIMIZE_200 2308
#define IDR_GLYPH_CLOSE_150 1309
#define IDR_GLYPH_CLOSE_200 2309
#define IDR_GLYPH_PREVIOUS_150 1310
#define IDR_GLYPH_PREVIOUS_200 2310
#define IDR_GLYPH_NEXT_150 1311
#define IDR_GLYPH_NEXT_200 2311
#define IDR_GLYPH_GRAY_150 1312
#define IDR_GLYPH_GRAY_200 2312
#define IDR_GLYPH_SEPIA_150 1313
#define IDR_GLYPH_SEPIA_200 2313
#define IDR_GLYPH_PRINT_150 1314
#define IDR_GLYPH_PRINT_200 2314

#endif
