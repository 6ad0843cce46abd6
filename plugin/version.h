/* The module's version, as the version resource states it. Kept equal to the
   project version in CMakeLists.txt (a test compares them). Plain defines:
   the resource compiler reads this file too. */
#ifndef TD_PLUGIN_VERSION_H
#define TD_PLUGIN_VERSION_H

#define TD_VERSION_MAJOR 0
#define TD_VERSION_MINOR 1
#define TD_VERSION_BUILD 0
#define TD_VERSION_REVISION 0
#define TD_VERSION_TEXT "0.1.0.0"

#endif
