#include "xstonetables.h"

#include "xschannel.h"

#include <cmath>

void XSBuildGamma(unsigned char* table, double gamma)
{
    const double e = 1.0 / gamma;
    for (int i = 0; i < 256; ++i) {
        const double p = std::pow(i / 255.0, e);
        // Scaled and offset in extended precision, then rounded to double.
        const double v = static_cast<double>(255.0L * p + 0.5L);
        table[i] = XslClipTruncate(v);
    }
}

void buildvalance(unsigned char* table, double factor)
{
    for (int i = 0; i < 256; ++i) {
        // Formed in extended precision, then rounded to double.
        const double v = static_cast<double>(i * static_cast<long double>(factor) + 0.5L);
        table[i] = XslClipTruncate(v);
    }
}

int XslGammaTables(unsigned char tables[3][256], double gamma_red, double gamma_green,
                   double gamma_blue)
{
    double gammas[3] = {gamma_red, gamma_green, gamma_blue};
    for (double& g : gammas)
        if (!(g > 0)) g = 1.0;
    if (gammas[0] == 1.0 && gammas[1] == 1.0 && gammas[2] == 1.0) return 0;
    for (int c = 0; c < 3; ++c) XSBuildGamma(tables[c], gammas[c]);
    return 1;
}

int XslBalanceTables(unsigned char tables[3][256], double red_percent, double green_percent,
                     double blue_percent)
{
    double percents[3] = {red_percent, green_percent, blue_percent};
    for (double& p : percents)
        if (p < 0) p = 0;
    if (percents[0] == 100 && percents[1] == 100 && percents[2] == 100) return 0;
    for (int c = 0; c < 3; ++c) buildvalance(tables[c], percents[c] / 100);
    return 1;
}
