// The byte tables of the gamma and colour balance corrections.
#pragma once

// One channel's gamma table: 255 x (i / 255)^(1 / gamma), rounded.
void XSBuildGamma(unsigned char* table, double gamma);
// One channel's balance table: i x factor, rounded and clipped to 255.
void buildvalance(unsigned char* table, double factor);

// The tables XSLGamma and XSLValance would run over the channels, and whether
// they change anything at all (0: every table is the identity, none made).
int XslGammaTables(unsigned char tables[3][256], double gamma_red, double gamma_green,
                   double gamma_blue);
int XslBalanceTables(unsigned char tables[3][256], double red_percent, double green_percent,
                     double blue_percent);
