/* Resource ids of the playlist window: its dialogs, controls, menus, images,
   commands and the language-table texts it shows. Each number is written here
   once; window.rc, menus.rc, images.rc, the menu model and the window's code
   all include this file. Plain defines: the resource compiler reads it too. */
#ifndef TD_WINDOW_RESOURCE_H
#define TD_WINDOW_RESOURCE_H

/* --- dialogs --------------------------------------------------------------- */
#define IDD_PLAYLIST_WINDOW 135
#define IDD_PROGRESS 177
#define IDD_ABOUT 102
#define IDD_INFORMATION 136
#define IDD_OPTIONS 137
#define IDD_RESET 138
#define IDD_COLUMNS 146
#define IDD_MEDIA_WIZARD 148
#define IDD_HTML_CLASSES 144
#define IDD_DUPLICATES 157
#define IDD_THEME_COLORS 179
#define IDD_TOOLS 142              /* "ID3Tag Tools", a tab per page */
#define IDD_EDIT_TAG_PAGE 190      /* its "Edit ID3Tag" page */
#define IDD_MASS_TAG_PAGE 191      /* "Mass Tag" */
#define IDD_RENAME_PAGE 192        /* "Rename file from Tag" */
#define IDD_TAG_FROM_NAME_PAGE 193 /* "Write Tag from filename" */
#define IDD_CONVERT_PAGE 194       /* "Conversion / Remove Tag" */
#define IDD_ORGANIZE_PAGE 195      /* "Organize MP3 files" */
#define IDD_VOLUME_INFO 158
#define IDD_EXPLORER_OPTIONS 166
#define IDD_RATING_STORE 186 /* "Store rating into ID3V2..." */

/* --- menus and accelerators ------------------------------------------------ */
#define IDR_POPUP_MENUS 101 /* button and context menus, one per submenu */
#define IDR_ACCELERATORS 132
#define IDR_MENU_BAR 133
#define IDR_EDIT_TAG_ACCELERATORS 145 /* the Edit tag page's keys */

/* --- icons, cursor and bitmaps (drawn at build time) ----------------------- */
#define IDI_WINDOW 106
#define IDR_SPLITTER_CURSOR 160
#define IDB_BUTTON_FILE 169
#define IDB_BUTTON_SEARCH_FIELDS 170
#define IDB_BUTTON_PAUSE 171
#define IDB_BUTTON_PLAY 172
#define IDB_BUTTON_STOP 173
#define IDB_BUTTON_NEXT 174
#define IDB_BUTTON_PREVIOUS 175
#define IDB_BUTTON_ADD 176
#define IDB_RATING_STARS 180
#define IDB_LIST_IMAGES 181
#define IDB_TREE_IMAGES 182
#define IDB_DRIVE_IMAGES 152

/* --- controls of the playlist window (dialog 135) -------------------------- */
#define IDC_STATUS_BAR 400
#define IDC_LIST 1008
#define IDC_SEARCH_FIELDS_BUTTON 1037
#define IDC_PREVIOUS 1038
#define IDC_SEARCH 1039
#define IDC_FILE_BUTTON 1040
#define IDC_ADD_BUTTON 1041
#define IDC_VOLUME 1042
#define IDC_VOLUME_LABEL 1043
#define IDC_POSITION 1044
#define IDC_PLAY 1045
#define IDC_PAUSE 1046
#define IDC_STOP 1047
#define IDC_NEXT 1048
#define IDC_TREE 1190
#define IDC_SPLITTER 1191
#define IDC_SEARCH_LABEL 1211
#define IDC_ELAPSED 1247
#define IDC_TOTAL 1248
#define IDC_CURRENT_FILE 1249

/* --- controls of the option dialogs (dialogs 102, 136, 137, 138, 146, 148) ----------- */
#define IDC_OPT_EXPORT_GROUP 1500
#define IDC_OPT_EXPORT_ALL 1501
#define IDC_OPT_EXPORT_SELECTED 1502
#define IDC_OPT_HTML_GROUP 1503
#define IDC_OPT_HTML_TABLE 1504
#define IDC_OPT_HTML_LISTING 1505
#define IDC_OPT_HTML_LINK 1506
#define IDC_OPT_BOTH_TAGS 1507
#define IDC_OPT_LOAD_GROUP 1508
#define IDC_OPT_LOAD_OWN 1509
#define IDC_OPT_LOAD_HOST 1510
#define IDC_OPT_CLICK_GROUP 1511
#define IDC_OPT_CLICK_PLAY 1512
#define IDC_OPT_CLICK_ENQUEUE 1513
#define IDC_OPT_CLICK_EDIT 1514
#define IDC_RESET_TEXT 1520
#define IDC_RESET_GROUP 1521
#define IDC_RESET_HTML 1522
#define IDC_RESET_COLUMNS 1523
#define IDC_RESET_TOOLS 1524
#define IDC_RESET_OPTIONS 1525
#define IDC_RESET_THEME 1526
#define IDC_WIZARD_GROUP 1530
#define IDC_WIZARD_FIRST 1531 /* the seven choices: 1531 to 1537 */
#define IDC_WIZARD_CUSTOM 1537
#define IDC_WIZARD_MINUTES 1538
#define IDC_ABOUT_TITLE 1540
#define IDC_ABOUT_CREDIT 1541
#define IDC_ABOUT_HELP 1542
#define IDC_ABOUT_SHORTCUTS 1543
#define IDC_INFO_REPORT 1550
#define IDC_INFO_COPY 1551
#define IDC_COL_VIEW_LABEL 1560
#define IDC_COL_VIEW 1561
#define IDC_COL_NUMBER 1562
#define IDC_COL_GRID 1563
#define IDC_COL_GROUP 1564
#define IDC_COL_AVAILABLE_LABEL 1565
#define IDC_COL_AVAILABLE 1566
#define IDC_COL_SELECTED_LABEL 1567
#define IDC_COL_SELECTED 1568
#define IDC_COL_ADD 1569
#define IDC_COL_ADD_ALL 1570
#define IDC_COL_REMOVE 1571
#define IDC_COL_REMOVE_ALL 1572
#define IDC_COL_UP 1573
#define IDC_COL_DOWN 1574

/* --- controls of the style and duplicates dialogs (dialogs 144, 157, 179) -- */
#define IDC_THEME_LABEL 1580
#define IDC_THEME_LIST 1581
#define IDC_THEME_COLORS_GROUP 1582
#define IDC_THEME_COLOR_FIRST 1583  /* the seven colour buttons: 1583 to 1589 */
#define IDC_THEME_SWATCH_FIRST 1590 /* the colour each shows: 1590 to 1596 */
#define IDC_THEME_ICON_GROUP 1597
#define IDC_THEME_ICON_LABEL 1598
#define IDC_THEME_ICON_LIST 1599
#define IDC_THEME_RATING_GROUP 1600
#define IDC_THEME_RATING_LABEL 1601
#define IDC_THEME_RATING_LIST 1602
#define IDC_THEME_NOTE 1603
#define IDC_HTML_TEMPLATE_LABEL 1610
#define IDC_HTML_TEMPLATE 1611
#define IDC_HTML_GROUP 1612
#define IDC_HTML_HEAD_FIRST 1613  /* column heads: 1613 to 1617 */
#define IDC_HTML_ROW_FIRST 1618   /* row names, the four classes then the link: 1618 to 1622 */
#define IDC_HTML_COLOR_FIRST 1623 /* nine colour boxes, by colour slot: 1623 to 1631 */
#define IDC_HTML_PICK_FIRST 1632  /* their chooser buttons: 1632 to 1640 */
#define IDC_HTML_FONT_FIRST 1641  /* font name of each class: 1641 to 1644 */
#define IDC_HTML_STYLE_FIRST 1645 /* font style: 1645 to 1648 */
#define IDC_HTML_SIZE_FIRST 1649  /* font size: 1649 to 1652 */
#define IDC_DUP_GROUP 1660
#define IDC_DUP_FIELD_FIRST 1661 /* the five check boxes, by bit: 1661 to 1665 */
#define IDC_DUP_SECONDS 1666
#define IDC_DUP_SECONDS_SPIN 1667
#define IDC_DUP_SECONDS_UNIT 1668
#define IDC_DUP_PERCENT 1669
#define IDC_DUP_PERCENT_SPIN 1670
#define IDC_DUP_PERCENT_UNIT 1671
/* --- controls of the tools dialog (142) and its Edit tag page (190) --------
   The page's fields, their labels and their menu buttons are numbered by
   the page model's field order (EditTagField): IDC_ET_FIELD_FIRST + field. */
#define IDC_TOOLS_TAB 1700
#define IDC_ET_FILE_LABEL 1709
#define IDC_ET_FILE 1710
#define IDC_ET_PREVIOUS 1711
#define IDC_ET_NEXT 1712
#define IDC_ET_V1 1713
#define IDC_ET_V2 1714
#define IDC_ET_UPDATE 1715
#define IDC_ET_COPY_V1_V2 1716
#define IDC_ET_COPY_V2_V1 1717
#define IDC_ET_MPEG_FIRST 1718
#define IDC_ET_MPEG_SECOND 1719
#define IDC_ET_RATING 1720
#define IDC_ET_RATING_LABEL 1721
#define IDC_ET_PLAY 1722        /* keys only: F5 */
#define IDC_ET_STOP 1723        /* keys only: F6 */
#define IDC_ET_FIELD_FIRST 1730 /* 18 fields: 1730 to 1747 */
#define IDC_ET_LABEL_FIRST 1750 /* their labels: 1750 to 1767 */
#define IDC_ET_MENU_FIRST 1780  /* menu buttons of Title, Artist, Album */
/* The frame every batch page shares (window/win32/tool_page.h). A page
   template holds the ones it uses; the frame looks each up by its number. */
#define IDC_TP_FILES 1800         /* the file list */
#define IDC_TP_ONLY_SELECTED 1801 /* "&Only selected item" */
#define IDC_TP_TRACE 1802         /* "Trace LO&G" */
#define IDC_TP_LOG_PATH 1803
#define IDC_TP_LOG_BROWSE 1804  /* "..." */
#define IDC_TP_GO 1805          /* the run button */
#define IDC_TP_PROGRESS 1806    /* hidden but while a run goes on */
#define IDC_TP_STATUS 1807      /* hidden but while a run goes on */
#define IDC_TP_ABORT 1808       /* hidden but while a run goes on */
#define IDC_TP_CONVERSIONS 1809 /* the case and character menu button */
#define IDC_TP_FORMAT 1810      /* the format pattern combo box */
#define IDC_TP_TOKEN_FIRST 1811 /* seven token labels, "%A = Artist": 1811 to 1817 */
/* The Mass tag page (191): field check boxes and their values in the order
   of massTagFields (Title, Artist, Album, Year, Track#, Genre, Comment). */
#define IDC_MT_CHECK_FIRST 1820 /* 1820 to 1826 */
#define IDC_MT_VALUE_FIRST 1830 /* 1830 to 1836 */
#define IDC_MT_V1 1840
#define IDC_MT_V2 1841
/* The Write tag from filename page (193). */
#define IDC_FN_VERSION 1850
#define IDC_FN_FORMAT_LABEL 1851
/* The Rename (192), Conversion (194) and Organize (195) pages. */
#define IDC_RN_SOURCE 1870
#define IDC_RN_FORMAT_LABEL 1871
#define IDC_CV_GROUP 1872
#define IDC_CV_OP_FIRST 1873 /* the five operations, by ConvertOp: 1873 to 1877 */
#define IDC_OG_LAYOUT 1880
#define IDC_OG_LAYOUT_LABEL 1881
#define IDC_OG_SOURCE 1882
#define IDC_OG_TARGET 1883
#define IDC_OG_TARGET_LABEL 1884
#define IDC_OG_BROWSE 1885
/* --- controls of the rating store dialog (186) ---------------------------- */
#define IDC_RS_START 1860   /* "Start" / "Stop" */
#define IDC_RS_DETAILS 1861 /* "Show details information" / "Hide ..." */
#define IDC_RS_PATH 1862
#define IDC_RS_COUNT 1863
#define IDC_RS_PROGRESS 1864
#define IDC_RS_LIST 1865
/* --- controls of the volume information (158) and explorer options (166) --- */
#define IDC_VOLUME_LIST 1237
#define IDC_EXPLORER_FIRST 1238 /* the seven categories: 1238 to 1244 */
#define IDC_EXPLORER_GROUP 1245

/* --- controls of the progress dialog (dialog 177) -------------------------- */
#define IDC_PROGRESS_ABORT 1248
#define IDC_PROGRESS_FILE 1249
#define IDC_PROGRESS_COUNT 1250
#define IDC_PROGRESS_BAR 1251
#define IDC_PROGRESS_ACTIVITY 1296

/* --- the folder browser's added check box ---------------------------------- */
#define IDC_FOLDER_RECURSE 200

/* --- commands: menus, buttons' menus, context menus -------------------------
   A shortcut (accelerator table 132) has a number of its own, written
   beside the menu command it stands for. */
#define IDM_ABOUT 40004
#define IDM_PLAY 40005
#define IDM_ENQUEUE 40006
#define IDM_PLAY_ALL 40007
#define IDM_ENQUEUE_ALL 40008
#define IDM_CLEAR_HOST_PLAYLIST 40009
#define IDM_TOGGLE_HOST_PLAYLIST 40010
#define IDM_SELECT_ALL 40011
#define IDM_SELECT_NONE 40012
#define IDM_SELECT_TOGGLE 40013
/* "Select with same": one command per field, Artist first, File name last */
#define IDM_SELECT_SAME_ARTIST 40014
#define IDM_SELECT_SAME_TITLE 40015
#define IDM_SELECT_SAME_GENRE 40016
#define IDM_SELECT_SAME_YEAR 40017
#define IDM_SELECT_SAME_ALBUM 40018
#define IDM_SELECT_SAME_COMMENT 40019
#define IDM_SELECT_SAME_MODE 40020
#define IDM_SELECT_SAME_BITRATE 40021
#define IDM_SELECT_SAME_FREQUENCY 40022
#define IDM_SELECT_SAME_LAYER 40023
#define IDM_SELECT_SAME_TIME 40024
#define IDM_SELECT_SAME_SIZE 40025
#define IDM_SELECT_SAME_FILE_NAME 40026
#define IDM_CROP 40027
#define IDM_REMOVE 40028
#define IDM_FIND_DUPLICATES 40029
#define IDM_SELECT_DEAD 40033
#define IDM_OPEN 40034
#define IDM_SAVE_AS 40035
#define IDM_IMPORT 40036
#define IDM_EXPORT 40037
#define IDM_ADD_FILES 40038
#define IDM_ADD_DIRECTORY 40039
#define IDM_SAVE 40040
#define IDM_NEW 40041
/* search fields: one bit each, Artist first, Year last, then match case */
#define IDM_SEARCH_ARTIST 40042
#define IDM_SEARCH_TITLE 40043
#define IDM_SEARCH_ALBUM 40044
#define IDM_SEARCH_COMMENT 40045
#define IDM_SEARCH_FILE_NAME 40046
#define IDM_SEARCH_YEAR 40047
#define IDM_SEARCH_MATCH_CASE 40048
#define IDM_NEW_KEY 40049
#define IDM_OPEN_KEY 40050
#define IDM_SAVE_KEY 40051
#define IDM_PLAY_KEY 40052
#define IDM_SELECT_ALL_KEY 40053
#define IDM_REMOVE_KEY 40054
#define IDM_SEARCH_FOCUS_KEY 40055
#define IDM_ADD_FILES_KEY 40056
#define IDM_ADD_DIRECTORY_KEY 40057
#define IDM_SEARCH_ARTIST_KEY 40058
#define IDM_SEARCH_TITLE_KEY 40059
#define IDM_SEARCH_ALBUM_KEY 40060
#define IDM_SEARCH_COMMENT_KEY 40061
#define IDM_SEARCH_FILE_NAME_KEY 40062
#define IDM_SEARCH_YEAR_KEY 40063
#define IDM_CROP_KEY 40064
#define IDM_SELECT_TOGGLE_KEY 40065
#define IDM_OPTIONS 40066
#define IDM_CONFIGURE 40067
/* the tag tools dialog, one command per page */
#define IDM_EDIT_TAG 40068
#define IDM_MASS_TAG 40069
#define IDM_RENAME_FROM_TAG 40070
#define IDM_TAG_FROM_NAME 40071
#define IDM_CONVERT_TAGS 40072
#define IDM_ORGANIZE 40073
#define IDM_QUIT 40074
#define IDM_CONFIGURE_KEY 40077
#define IDM_OPTIONS_KEY 40078
#define IDM_QUIT_KEY 40079
#define IDM_ABOUT_KEY 40080
#define IDM_PLAYLIST_INFO 40081
#define IDM_PLAYLIST_INFO_KEY 40082
#define IDM_COLUMNS 40083
#define IDM_EDIT_TAG_KEY 40084
#define IDM_COLUMNS_KEY 40085
#define IDM_EDIT_TAG_CONTEXT 40086
/* tag source of the view: ID3v1, ID3v2, ID3v2 then v1, ID3v1 then v2 */
#define IDM_VIEW_ID3V1 40087
#define IDM_VIEW_ID3V2 40088
#define IDM_VIEW_ID3V2_V1 40089
#define IDM_VIEW_ID3V1_V2 40090
#define IDM_VIEW_ID3V1_KEY 40091
#define IDM_VIEW_ID3V2_KEY 40092
#define IDM_VIEW_ID3V2_V1_KEY 40093
#define IDM_VIEW_ID3V1_V2_KEY 40094
#define IDM_HTML_CLASSES 40097
#define IDM_HTML_CLASSES_KEY 40098
#define IDM_RESET 40099
#define IDM_MEDIA_WIZARD 40100
#define IDM_MEDIA_WIZARD_KEY 40101
#define IDM_PROPERTIES 40107
#define IDM_PROPERTIES_KEY 40108
#define IDM_SEARCH_ALL 40109
#define IDM_SEARCH_NONE 40110
#define IDM_DELETE_FILES 40126
#define IDM_EXPLORER 40127
#define IDM_EXPLORER_KEY 40128
#define IDM_INSERT 40129
#define IDM_RELOAD 40130
#define IDM_RELOAD_KEY 40131
#define IDM_VOLUME_INFO 40137
#define IDM_VOLUME_INFO_KEY 40138
#define IDM_EXPLORER_OPTIONS 40139
#define IDM_EXPLORER_REFRESH 40149
#define IDM_COPY_TO 40178
#define IDM_MOVE_TO 40179
#define IDM_THEME_COLORS 40180
#define IDM_THEME_COLORS_KEY 40181
#define IDM_STORE_RATING 40183
/* ratings: no rating, then one to five stars */
#define IDM_RATING_0 40184
#define IDM_RATING_1 40185
#define IDM_RATING_2 40186
#define IDM_RATING_3 40187
#define IDM_RATING_4 40188
#define IDM_RATING_5 40189
/* languages: entry i of the Language submenu is IDM_LANGUAGE_FIRST + i */
#define IDM_LANGUAGE_FIRST 10000
#define IDM_LANGUAGE_LAST 10255

/* --- language-table texts the window shows ---------------------------------- */
#define IDS_ERROR 22
#define IDS_QUESTION 21
#define IDS_IMPORT_FILTER 110
#define IDS_EXPORT_FILTER 111
#define IDS_ADD_FILES_FILTER 112
#define IDS_IMPORT_TITLE 113
#define IDS_EXPORT_TITLE 114
#define IDS_ADD_FILES_TITLE 132
#define IDS_TOO_MANY_FILES 133
#define IDS_ADD_FILES_ERROR 134
#define IDS_RECURSE_SUBDIRECTORIES 135
#define IDS_SEARCH_LABEL 322
#define IDS_PROGRESS 323
#define IDS_ABORT 363
#define IDS_ADD_FILES_CAPTION 364

#endif
