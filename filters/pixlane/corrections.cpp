#include "corrections.h"

#include "xschannel.h"
#include "xsconv.h"
#include "xsgamma.h"
#include "xsgraytables.h"
#include "xshsv.h"
#include "xstonetables.h"

namespace {

// Settings are offsets from 100 percent; summed in double so that no
// command-line value can overflow.
double Percent(int32_t offset)
{
    return static_cast<double>(offset) + 100;
}

}  // namespace

bool tables_only(const Settings* s, const XSImage* picture)
{
    const XslPixelKind kind = XslKindOf(picture);
    return (kind == XSK_DIRECT || kind == XSK_COLORMAP) && s->saturation == 0 && s->bright == 0 && s->contrast == 0;
}

int one_pass_gray(const Settings* s, XSImage* picture)
{
    unsigned char gamma[3][256], balance[3][256], tables[3][256];
    bool gammas = XslGammaTables(gamma, s->gamma_red, s->gamma_green, s->gamma_blue);
    bool balances = XslBalanceTables(balance, Percent(s->balance_red), Percent(s->balance_green),
                                     Percent(s->balance_blue));
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            int level = gammas ? gamma[c][v] : v;
            tables[c][v] = balances ? balance[c][level] : static_cast<unsigned char>(level);
        }
    return XSLTablesToGray(picture, tables[0], tables[1], tables[2]);
}

int correct_picture(const Settings* s, XSImage* picture)
{
    if (picture->type == 0) return 1;
    const int gray = XSLCheckGraymap(picture);
    if (!XSLConv24RGB(picture)) return 0;
    if (s->saturation != 0 || s->bright != 0) {
        if (!XSLBrightenColor(picture, 2, 7, 0.0, Percent(s->saturation), Percent(s->bright))) return 0;
    }
    if (!(s->gamma_red == 1.0 && s->gamma_green == 1.0 && s->gamma_blue == 1.0)) {
        if (!XSLGamma(picture, s->gamma_red, s->gamma_green, s->gamma_blue)) return 0;
    }
    if (s->balance_red != 0 || s->balance_green != 0 || s->balance_blue != 0) {
        if (!XSLValance(picture, Percent(s->balance_red), Percent(s->balance_green), Percent(s->balance_blue)))
            return 0;
    }
    if (s->contrast != 0) {
        if (!XSLContrast(picture, static_cast<float>(Percent(s->contrast)))) return 0;
    }
    if (gray && !XSLConvGray(picture)) return 0;
    if (s->mono != 0 && !XSLConvGray(picture)) return 0;
    return 1;
}

bool gray_tone_table(int32_t bright, double gamma, unsigned char table[256])
{
    const bool gammas = gamma > 0 && gamma != 1.0;
    if (bright == 0 && !gammas) return false;
    unsigned char gamma_table[256];
    if (gammas) XSBuildGamma(gamma_table, gamma);
    for (int v = 0; v < 256; ++v) {
        // Brightness works in the colour model XSLBrightenColor's mode 2 uses.
        int r = v, g = v, b = v;
        if (bright != 0) ModifiedHSV(&r, &g, &b, 0.0, 1.0, Percent(bright) / 100);
        const unsigned char level = static_cast<unsigned char>(XslClipChannel(r));
        table[v] = gammas ? gamma_table[level] : level;
    }
    return true;
}
