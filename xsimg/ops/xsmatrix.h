// 2-D affine matrices: six doubles a, b, c, d, tx, ty.
// A point (x, y) maps to x' = a*x + c*y + tx, y' = b*x + d*y + ty.
#pragma once

enum { XS_MA, XS_MB, XS_MC, XS_MD, XS_MTX, XS_MTY };

int XSInitMatrix(double* m);
double* XSScaleMatrix(double* m, double sx, double sy);
// Positive angles turn clockwise on a page whose y axis points down.
double* XSRotateMatrix(double* m, double degrees);
double* XSTranslateMatrix(double* m, double tx, double ty);
void XSTransForm(double x, double y, const double* m, double* xr, double* yr);
// A distance: the translation does not apply.
void XSDTransForm(double x, double y, const double* m, double* xr, double* yr);
// 1, or 0 for a singular matrix (dst is then left as it was).
int XSInvertMatrix(const double* src, double* dst);
// m becomes m followed by n.
double* XSConcatMatrix(double* m, const double* n);
