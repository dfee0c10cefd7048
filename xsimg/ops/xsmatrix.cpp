#include "xsmatrix.h"

#include <cmath>

int XSInitMatrix(double* m)
{
    m[XS_MA] = 1.0;
    m[XS_MB] = 0.0;
    m[XS_MC] = 0.0;
    m[XS_MD] = 1.0;
    m[XS_MTX] = 0.0;
    m[XS_MTY] = 0.0;
    return 0;
}

double* XSScaleMatrix(double* m, double sx, double sy)
{
    m[XS_MA] *= sx;
    m[XS_MB] *= sx;
    m[XS_MC] *= sy;
    m[XS_MD] *= sy;
    return m;
}

double* XSRotateMatrix(double* m, double degrees)
{
    double co;
    double si;
    // The quarter turns use exact values so that they map pixels onto pixels.
    if (degrees == -90.0) {
        co = 0.0;
        si = -1.0;
    } else if (degrees == 90.0) {
        co = 0.0;
        si = 1.0;
    } else if (degrees == 0.0) {
        co = 1.0;
        si = 0.0;
    } else {
        double radians = degrees * M_PI / 180.0;
        co = std::cos(radians);
        si = std::sin(radians);
    }
    double a = m[XS_MA], b = m[XS_MB], c = m[XS_MC], d = m[XS_MD];
    m[XS_MA] = co * a + si * c;
    m[XS_MB] = co * b + si * d;
    m[XS_MC] = co * c - si * a;
    m[XS_MD] = co * d - si * b;
    return m;
}

double* XSTranslateMatrix(double* m, double tx, double ty)
{
    double ntx = m[XS_MA] * tx + m[XS_MC] * ty + m[XS_MTX];
    double nty = m[XS_MB] * tx + m[XS_MD] * ty + m[XS_MTY];
    m[XS_MTX] = ntx;
    m[XS_MTY] = nty;
    return m;
}

void XSTransForm(double x, double y, const double* m, double* xr, double* yr)
{
    *xr = m[XS_MA] * x + m[XS_MC] * y + m[XS_MTX];
    *yr = m[XS_MB] * x + m[XS_MD] * y + m[XS_MTY];
}

void XSDTransForm(double x, double y, const double* m, double* xr, double* yr)
{
    *xr = m[XS_MA] * x + m[XS_MC] * y;
    *yr = m[XS_MB] * x + m[XS_MD] * y;
}

int XSInvertMatrix(const double* src, double* dst)
{
    double a = src[XS_MA], b = src[XS_MB], c = src[XS_MC], d = src[XS_MD];
    double tx = src[XS_MTX], ty = src[XS_MTY];
    double det = a * d - c * b;
    if (det == 0.0)
        return 0;
    dst[XS_MA] = d / det;
    dst[XS_MB] = -b / det;
    dst[XS_MC] = -c / det;
    dst[XS_MD] = a / det;
    dst[XS_MTX] = (c * ty - tx * d) / det;
    dst[XS_MTY] = (tx * b - a * ty) / det;
    return 1;
}

double* XSConcatMatrix(double* m, const double* n)
{
    double a = m[XS_MA] * n[XS_MA] + m[XS_MB] * n[XS_MC];
    double b = m[XS_MA] * n[XS_MB] + m[XS_MB] * n[XS_MD];
    double c = m[XS_MC] * n[XS_MA] + m[XS_MD] * n[XS_MC];
    double d = m[XS_MC] * n[XS_MB] + m[XS_MD] * n[XS_MD];
    double tx = m[XS_MTX] * n[XS_MA] + m[XS_MTY] * n[XS_MC] + n[XS_MTX];
    double ty = m[XS_MTX] * n[XS_MB] + m[XS_MTY] * n[XS_MD] + n[XS_MTY];
    m[XS_MA] = a;
    m[XS_MB] = b;
    m[XS_MC] = c;
    m[XS_MD] = d;
    m[XS_MTX] = tx;
    m[XS_MTY] = ty;
    return m;
}
