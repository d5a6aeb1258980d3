#pragma once

// Great-circle navigation on a sphere of radius 6 372 797.6 m (distances in
// metres) and angle normalisation. The "Radians" and "Degrees" forms take
// and give their angles as their names say.

inline constexpr double CHGeoEarthRadiusMetres = 6372797.6;

// The point reached from a start after a distance along an initial bearing.
// The longitude is not normalised.
void CHGeoDestinationRadians(double latitude, double longitude, double distance, double bearing,
                             double* destinationLatitude, double* destinationLongitude);
// The same in degrees; the longitude comes back in (-180, 180].
void CHGeoDestinationDegrees(double latitude, double longitude, double distance, double bearing,
                             double* destinationLatitude, double* destinationLongitude);

// Initial bearing from point 1 to point 2: radians in (-pi, pi], or degrees
// in (-180, 180].
double CHGeoBearingRadians(double latitude1, double longitude1, double latitude2, double longitude2);
double CHGeoBearingDegrees(double latitude1, double longitude1, double latitude2, double longitude2);

// The same direction in (-180, 180] or in [0, 360).
double CHNormalizeDegrees180(double degrees);
float CHNormalizeDegrees180f(float degrees);
double CHNormalizeDegrees360(double degrees);
float CHNormalizeDegrees360f(float degrees);
