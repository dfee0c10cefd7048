#include "corrections.h"

#include "xsconv.h"
#include "xsgamma.h"
#include "xshsv.h"

namespace {

// Settings are offsets from 100 percent; summed in double so that no
// command-line value can overflow.
double Percent(int32_t offset)
{
    return static_cast<double>(offset) + 100;
}

}  // namespace

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
