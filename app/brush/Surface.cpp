#include "Surface.h"

Surface::~Surface() = default;
