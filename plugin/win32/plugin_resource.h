/* Resource ids of the plug-in shell. Plain defines: the resource compiler
   reads this file too. */
#ifndef TD_PLUGIN_RESOURCE_H
#define TD_PLUGIN_RESOURCE_H

#define IDD_PLUGIN_CONFIG 111
#define IDC_CONFIG_ENABLE 1011
#define IDC_CONFIG_NOTE 1012

#endif
