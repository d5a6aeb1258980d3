#include "VTRPAUVersion.h"

extern "C" {
const double VTRPAUVersionNumber = 1.0;
const unsigned char VTRPAUVersionString[] = "@(#)PROGRAM:VTRPAU  PROJECT:VTRPAU-1\n";
}
