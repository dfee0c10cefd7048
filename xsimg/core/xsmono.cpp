// Choosing black in a two-colour palette.
#include "xsmono.h"

int XslDarkerEntry(const XSColor& first, const XSColor& second)
{
    return XslFastGray(second.red, second.green, second.blue) < XslFastGray(first.red, first.green, first.blue) ? 1 : 0;
}
