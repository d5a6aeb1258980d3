#pragma once

// The library's version marks, as other programs look them up.
extern "C" {
extern const double VTRPAUVersionNumber;
extern const unsigned char VTRPAUVersionString[];
}
