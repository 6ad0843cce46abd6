/* Resource ids of the plug-in shell. Plain defines: the resource compiler
   reads this file too. */
#ifndef TD_PLUGIN_RESOURCE_H
#define TD_PLUGIN_RESOURCE_H

#define IDD_PLUGIN_CONFIG 111
#define IDC_CONFIG_ENABLE 1011
#define IDC_CONFIG_NOTE 1012

/* The tray configuration dialog: boxes 1000 to 1006 for tray icons 0 to 6,
   1007 for "Group in systray menu" (icon 7). */
#define IDD_TRAY_CONFIG 100
#define IDC_TRAY_APPLY 3
#define IDC_TRAY_FIRST_BOX 1000
#define IDC_TRAY_GROUP 1007
#define IDC_TRAY_CREDIT 1008
#define IDC_TRAY_NOTE 1009
#define IDC_TRAY_FRAME 1236

#endif
