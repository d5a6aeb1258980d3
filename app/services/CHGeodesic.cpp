#include "CHGeodesic.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;
constexpr double kDegreesPerRadian = 180.0 / kPi;

template <typename T>
T normalize180(T angle)
{
    // Bounded by the angle's size; a non-finite angle is returned as it is.
    if (!std::isfinite(angle))
        return angle;
    angle = std::fmod(angle, T(360));
    while (angle <= T(-180))
        angle += T(360);
    while (angle > T(180)) {
        angle -= T(360);
        if (angle <= T(-180))
            angle += T(360);
    }
    return angle;
}

template <typename T>
T normalize360(T angle)
{
    if (!std::isfinite(angle))
        return angle;
    angle = std::fmod(angle, T(360));
    while (angle < T(0))
        angle += T(360);
    while (angle >= T(360))
        angle -= T(360);
    return angle;
}
} // namespace

void CHGeoDestinationRadians(double latitude, double longitude, double distance, double bearing,
                             double* destinationLatitude, double* destinationLongitude)
{
    const double delta = distance / CHGeoEarthRadiusMetres;
    const double lat2 = std::asin(std::sin(latitude) * std::cos(delta) +
                                  std::cos(latitude) * std::sin(delta) * std::cos(bearing));
    const double lon2 = longitude + std::atan2(std::sin(bearing) * std::sin(delta) * std::cos(latitude),
                                               std::cos(delta) - std::sin(latitude) * std::sin(lat2));
    if (destinationLatitude)
        *destinationLatitude = lat2;
    if (destinationLongitude)
        *destinationLongitude = lon2;
}

void CHGeoDestinationDegrees(double latitude, double longitude, double distance, double bearing,
                             double* destinationLatitude, double* destinationLongitude)
{
    double lat2 = 0;
    double lon2 = 0;
    CHGeoDestinationRadians(latitude * kRadiansPerDegree, longitude * kRadiansPerDegree, distance,
                            bearing * kRadiansPerDegree, &lat2, &lon2);
    if (destinationLatitude)
        *destinationLatitude = lat2 * kDegreesPerRadian;
    if (destinationLongitude)
        *destinationLongitude = CHNormalizeDegrees180(lon2 * kDegreesPerRadian);
}

double CHGeoBearingRadians(double latitude1, double longitude1, double latitude2, double longitude2)
{
    const double dLon = longitude2 - longitude1;
    return std::atan2(std::sin(dLon) * std::cos(latitude2),
                      std::cos(latitude1) * std::sin(latitude2) - std::sin(latitude1) * std::cos(latitude2) * std::cos(dLon));
}

double CHGeoBearingDegrees(double latitude1, double longitude1, double latitude2, double longitude2)
{
    return CHGeoBearingRadians(latitude1 * kRadiansPerDegree, longitude1 * kRadiansPerDegree,
                               latitude2 * kRadiansPerDegree, longitude2 * kRadiansPerDegree) *
           kDegreesPerRadian;
}

double CHNormalizeDegrees180(double degrees) { return normalize180(degrees); }
float CHNormalizeDegrees180f(float degrees) { return normalize180(degrees); }
double CHNormalizeDegrees360(double degrees) { return normalize360(degrees); }
float CHNormalizeDegrees360f(float degrees) { return normalize360(degrees); }
