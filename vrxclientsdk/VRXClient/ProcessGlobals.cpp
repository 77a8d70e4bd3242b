#include "vrxclientsdk/VRXClient/ProcessGlobals.h"

ProcessGlobals& ProcessGlobals::Get() {
    // A function-local static: built once, on first use, and destroyed at exit
    // after everything built later.
    static ProcessGlobals globals;
    return globals;
}
