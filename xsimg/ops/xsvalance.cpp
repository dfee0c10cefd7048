#include "xsgamma.h"

#include "xschannel.h"

int XSLValance(XSImage* image, double red_percent, double green_percent, double blue_percent)
{
    if (XslRefuseBitmap(image)) return 0;
    unsigned char tables[3][256];
    if (!XslBalanceTables(tables, red_percent, green_percent, blue_percent)) return 1;
    return XslApplyChannelTables(image, tables[0], tables[1], tables[2]);
}

int XSLUserValance(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                   const unsigned char* table_blue)
{
    return XslApplyChannelTables(image, table_red, table_green, table_blue);
}
