// Placeholder until the stand-in host lands.
#include <windows.h>
