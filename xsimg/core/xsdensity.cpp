#include "xsdensity.h"

int XslDensitiesPlausible(double x, double y)
{
    return x > 0.0 && y > 0.0 && x <= y * XS_MAX_DENSITY_RATIO && y <= x * XS_MAX_DENSITY_RATIO;
}
