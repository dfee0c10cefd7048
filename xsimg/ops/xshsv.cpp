#include "xshsv.h"

#include "xsbright.h"
#include "xschannel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

using Model = void (*)(int*, int*, int*, double, double, double);

constexpr double kPi = std::numbers::pi;

// Model values are kept within +-2^20 so that the integer steps cannot
// overflow, whatever the factors; such values clip the same way.
constexpr int kLimit = 1 << 20;

// round(x) = truncation toward zero of (x + 0.5).
int Round(double x)
{
    const double v = std::trunc(x + 0.5);
    if (v != v) return 0;
    if (v > kLimit) return kLimit;
    if (v < -kLimit) return -kLimit;
    return int(v);
}

// Truncation to whole degrees, remainder by 360 with the dividend's sign,
// made non-negative.
int WrapDegrees(double degrees)
{
    double w = std::fmod(std::trunc(degrees), 360.0);
    if (w != w) w = 0;
    const int d = int(w);
    return d < 0 ? d + 360 : d;
}

// Channel value / 255 rounded to three decimal places.
double Normalised(int value)
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = std::floor(i * 1000.0 / 255.0 + 0.5) / 1000.0;
        return t;
    }();
    return table[XslClipChannel(value)];
}

// Hexcone hue in degrees 0..360 of a colour whose channels differ (delta > 0).
double HexconeHue(double r, double g, double b, double max, double delta)
{
    double h;
    if (r == max)
        h = (g - b) / delta;
    else if (g == max)
        h = 2 + (b - r) / delta;
    else
        h = 4 + (r - g) / delta;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

double Clamp(double v, double low, double high)
{
    return v < low ? low : (v > high ? high : v);
}

double HueToValue(double m1, double m2, int hue)
{
    hue %= 360;
    if (hue < 0) hue += 360;
    if (hue < 60) return m1 + (m2 - m1) * hue / 60;
    if (hue < 180) return m2;
    if (hue < 240) return m1 + (m2 - m1) * (240 - hue) / 60;
    return m1;
}

void HlsToRgb(int* red, int* green, int* blue, double m1, double m2, int h)
{
    *red = Round(255 * HueToValue(m1, m2, h + 120));
    *green = Round(255 * HueToValue(m1, m2, h));
    *blue = Round(255 * HueToValue(m1, m2, h - 120));
}

struct Extremes {
    double r, g, b, max, min;
};

Extremes Measure(int red, int green, int blue)
{
    const double r = Normalised(red), g = Normalised(green), b = Normalised(blue);
    return {r, g, b, std::max({r, g, b}), std::min({r, g, b})};
}

// The HLS family: lightness runs from 0 (signed: -1) to 1; step 2 picks the
// saturation formula by it either way.
void Hls(int* red, int* green, int* blue, double hue, double saturation, double lightness, bool is_signed)
{
    const Extremes e = Measure(*red, *green, *blue);
    const double delta = e.max - e.min;
    double l = is_signed ? e.max + e.min - 1 : (e.max + e.min) / 2;
    double s = 0, h = 0;
    if (delta != 0) {
        s = l <= 0.5 ? delta / (e.max + e.min) : delta / (2 - e.max - e.min);
        h = HexconeHue(e.r, e.g, e.b, e.max, delta);
    }
    const int hi = WrapDegrees(h + hue);
    s = Clamp(s * saturation, 0, 1);
    double m1, m2;
    if (is_signed) {
        l = (Clamp(l * lightness, -1, 1) + 1) / 2;
        m1 = l * (1 - s);
        m2 = 2 * l - m1;
    } else {
        l = Clamp(l * lightness, 0, 1);
        if (l < 0.5) {
            m1 = l * (1 - s);
            m2 = 2 * l - m1;
        } else {
            m2 = l + s - l * s;
            m1 = 2 * l - m2;
        }
    }
    HlsToRgb(red, green, blue, m1, m2, hi);
}

void Rgb(XSImage* image, Model model, double hue, double saturation, double brightness)
{
    const size_t count = size_t(image->width) * size_t(image->height);
    unsigned char* planes[3] = {image->data, image->data_g, image->data_b};
    for (size_t i = 0; i < count; ++i) {
        int r = planes[0][i], g = planes[1][i], b = planes[2][i];
        model(&r, &g, &b, hue, saturation, brightness);
        planes[0][i] = XslClipChannel(r);
        planes[1][i] = XslClipChannel(g);
        planes[2][i] = XslClipChannel(b);
    }
}

int ColorMap(XSImage* image, Model model, double hue, double saturation, double brightness)
{
    if (image->colormap == nullptr) {
        xslerrno = XSE_PROCESS_KIND;
        return 0;
    }
    for (int i = 0; i < image->ncolors; ++i) {
        XSColor& c = image->colormap[i];
        int r = c.red & 0xFF, g = c.green & 0xFF, b = c.blue & 0xFF;
        model(&r, &g, &b, hue, saturation, brightness);
        c.red = XslClipChannel(r);
        c.green = XslClipChannel(g);
        c.blue = XslClipChannel(b);
    }
    return 1;
}

int Direct(XSImage* image, Model model, double hue, double saturation, double brightness)
{
    XslDirectReader reader;
    XslInitDirectReader(&reader, image);
    uint32_t back[3][256];
    XslDirectBackTables(reader, back);
    const bool done = XslMapDirectPixels(image, [&](uint32_t v) {
        unsigned char in[3];
        reader.read(v, in);
        int r = in[0], g = in[1], b = in[2];
        model(&r, &g, &b, hue, saturation, brightness);
        return back[0][XslClipChannel(r)] | back[1][XslClipChannel(g)] | back[2][XslClipChannel(b)];
    });
    if (!done) xslerrno = XSE_PROCESS_KIND;
    return done;
}

int ApplyModel(XSImage* image, Model model, double hue, double saturation, double brightness)
{
    const XslPixelKind kind = XslKindOf(image);
    switch (kind) {
    case XSK_RGB:
        Rgb(image, model, hue, saturation, brightness);
        return 1;
    case XSK_COLORMAP:
        return ColorMap(image, model, hue, saturation, brightness);
    case XSK_DIRECT:
        return Direct(image, model, hue, saturation, brightness);
    case XSK_PLAIN8:
        return 0;  // an 8-bit image without colormap is left alone, without a code
    default:
        return XslRefuseKind(kind);
    }
}

}  // namespace

void ModifiedHSV(int* red, int* green, int* blue, double hue, double saturation, double brightness)
{
    const int r = *red, g = *green, b = *blue;
    const int weighted = 77 * r + 150 * g + 28 * b;
    int y = weighted >> 8;
    const int v = (256 * r - weighted) >> 8;
    const int u = (256 * b - weighted) >> 8;
    int chroma = Round(std::sqrt(double(v * v + u * u)));
    int h = 0;
    if (chroma > 0) h = WrapDegrees(Round(std::atan2(double(v), double(u)) * 180 / kPi));
    if (hue != 0.0) h = WrapDegrees(h + hue);
    if (saturation != 1.0) chroma = Round(chroma * saturation);
    if (brightness != 1.0) y = Round(y * brightness);
    const double theta = h * kPi / 180;
    const int v2 = Round(chroma * std::sin(theta));
    const int u2 = Round(chroma * std::cos(theta));
    *red = y + v2;
    *green = (256 * y - 130 * v2 - 48 * u2) >> 8;
    *blue = y + u2;
}

void ModifiedHSV2(int* red, int* green, int* blue, double hue, double saturation, double value)
{
    const Extremes e = Measure(*red, *green, *blue);
    const double delta = e.max - e.min;
    double v = e.max;
    double s = e.max != 0 ? delta / e.max : 0;
    const double h = s != 0 ? HexconeHue(e.r, e.g, e.b, e.max, delta) : 0;
    const int hi = WrapDegrees(h + hue);
    s *= saturation;
    v *= value;
    double sector;
    const double f = std::modf(hi / 60.0, &sector);
    const double big = 255 * v;
    const int V = Round(big);
    const int p = Round(big * (1 - s));
    const int q = Round(big * (1 - s * f));
    const int t = Round(big * (1 - s * (1 - f)));
    const int rgb[6][3] = {{V, t, p}, {q, V, p}, {p, V, t}, {p, q, V}, {t, p, V}, {V, p, q}};
    const int* out = rgb[int(sector)];
    *red = out[0];
    *green = out[1];
    *blue = out[2];
}

void ModifiedHLS(int* red, int* green, int* blue, double hue, double saturation, double lightness)
{
    Hls(red, green, blue, hue, saturation, lightness, false);
}

void ModifiedHSL(int* red, int* green, int* blue, double hue, double saturation, double lightness)
{
    Hls(red, green, blue, hue, saturation, lightness, true);
}

int XSLBrightenColor(XSImage* image, int mode, int channels, double hue, double saturation,
                     double brightness)
{
    if (XslRefuseBitmap(image)) return 0;
    Model model;
    switch (mode) {
    case 0: return XSLBrightenChannl(image, channels, hue, saturation, brightness);
    case 1: return XSLBrightenCMY(image, hue, saturation, brightness);
    case 2: model = ModifiedHSV; break;
    case 3: model = ModifiedHSV2; break;
    case 5: model = ModifiedHLS; break;
    case 6: model = ModifiedHSL; break;
    default: return 0;
    }
    return ApplyModel(image, model, hue, saturation / 100, brightness / 100);
}
