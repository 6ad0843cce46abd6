/* The module's version, as the version resource states it: the one place
   that gives it. CMakeLists.txt takes the project version from here and the
   installer its version; the text must match the numbers (a test compares
   them). Plain defines: the resource compiler reads this file too. */
#ifndef TD_PLUGIN_VERSION_H
#define TD_PLUGIN_VERSION_H

#define TD_VERSION_MAJOR 0
#define TD_VERSION_MINOR 1
#define TD_VERSION_BUILD 0
#define TD_VERSION_REVISION 0
#define TD_VERSION_TEXT "0.1.0.0"

#endif
