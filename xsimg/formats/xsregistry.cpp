// The library's formats: the magic table, the native-family table and the
// public entries that walk them. The walk itself is core's (xsiowalk).
#include "xsregistry.h"
#include "xsnativenames.h"

#include "xsiobmp.h"
#include "xsiogif.h"
#include "xsioiris.h"
#include "xsiojpeg.h"
#include "xsiopcx.h"
#include "xsiopbm.h"
#include "xsiopng.h"
#include "xsiosun.h"
#include "xsiotiff.h"
#include "xsiotimg.h"
#include "xsiotv.h"
#include "xsioxsimg.h"
#include "xsioxwd.h"
#include "xsiowalk.h"
#include "xsiowebp.h"

namespace {
const unsigned char kMagicTiffMM[] = {'M', 'M'};
const unsigned char kMagicTiffII[] = {'I', 'I'};
const unsigned char kMagicJpeg[] = {0xFF, 0xD8, 0xFF};
const unsigned char kMagicJfif[] = {'J', 'F', 'I', 'F'};
const unsigned char kMagicSun[] = {0x59, 0xA6, 0x6A, 0x95};
const unsigned char kMagicGif87[] = {'G', 'I', 'F', '8', '7', 'a'};
const unsigned char kMagicGif89[] = {'G', 'I', 'F', '8', '9', 'a'};
const unsigned char kMagicIris[] = {0x01, 0xDA};
const unsigned char kMagicP1[] = {'P', '1'};
const unsigned char kMagicP2[] = {'P', '2'};
const unsigned char kMagicP3[] = {'P', '3'};
const unsigned char kMagicP4[] = {'P', '4'};
const unsigned char kMagicP5[] = {'P', '5'};
const unsigned char kMagicP6[] = {'P', '6'};
const unsigned char kMagicBmp[] = {'B', 'M'};
const unsigned char kMagicPcx1[] = {0x0A, 0x01, 0x01};
const unsigned char kMagicPcx2[] = {0x0A, 0x02, 0x01};
const unsigned char kMagicPcx3[] = {0x0A, 0x03, 0x01};
const unsigned char kMagicPcx4[] = {0x0A, 0x04, 0x01};
const unsigned char kMagicPcx5[] = {0x0A, 0x05, 0x01};
const unsigned char kMagicXwd[] = {0x00, 0x00, 0x00, 0x07};
const unsigned char kMagicTimg[] = {0x00, 0x00, 0x00, 0x08};
const unsigned char kMagicPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const unsigned char kMagicWebp[] = {'W', 'E', 'B', 'P'};

// Table writers take no file name; libtiff is told "None".
int write_tiff(FILE* stream, XSImage* image)
{
    return XSWriteTiff(stream, image, nullptr);
}
}  // namespace

// Order matters: rows are tried top to bottom and every matching row gets its
// turn until one reader delivers. The full order is TIFF "MM" and "II"; JPEG
// FF D8 FF and "JFIF" at 6; Sun raster; GIF87a and GIF89a; SGI image; P1 to
// P6; BMP; PCX versions 1 to 5; XWD (7 at offset 4); the native family
// (8, then 7 at offset 4); then the newer formats, after every older row so
// that no file an older reader accepts changes its path: PNG; WebP ("WEBP"
// at 8, inside a RIFF header). A row is present once its reader is.
const XSMagicRow magic_table[] = {
    {kMagicTiffMM, 0, 2, XSReadTiff, write_tiff, XSInfoTIFF, XSF_TIFF, "TIFF"},
    {kMagicTiffII, 0, 2, XSReadTiff, write_tiff, XSInfoTIFF, XSF_TIFF, "TIFF"},
    {kMagicJpeg, 0, 3, XSReadJpeg, XSWriteJpeg, XSInfoJPEG, XSF_JPEG, "JPEG"},
    {kMagicJfif, 6, 4, XSReadJpeg, XSWriteJpeg, XSInfoJPEG, XSF_JPEG, "JFIF"},
    {kMagicSun, 0, 4, RsReader, RsWriter, XSInfoSUN, XSF_SUN, "SUN"},
    {kMagicGif87, 0, 6, XSReadGif, XSWriteGif, XSInfoGIF, XSF_GIF, "GIF"},
    {kMagicGif89, 0, 6, XSReadGif, XSWriteGif, XSInfoGIF, XSF_GIF, "GIF"},
    {kMagicIris, 0, 2, XSReadIRIS, XSWriteIRIS, XSInfoIRIS, XSF_IRIS, "IRIS"},
    {kMagicP1, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PBM"},
    {kMagicP2, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PGM"},
    {kMagicP3, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PPM"},
    {kMagicP4, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PBM"},
    {kMagicP5, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PGM"},
    {kMagicP6, 0, 2, XSReadPBM, XSWritePBM, XSInfoPBM, XSF_PBM, "PPM"},
    {kMagicBmp, 0, 2, XSReadBMP, XSWriteBMP, XSInfoBMP, XSF_BMP, "BMP"},
    {kMagicPcx1, 0, 3, XSReadPCX, XSWritePCX, XSInfoPCX, XSF_PCX, "PCX"},
    {kMagicPcx2, 0, 3, XSReadPCX, XSWritePCX, XSInfoPCX, XSF_PCX, "PCX"},
    {kMagicPcx3, 0, 3, XSReadPCX, XSWritePCX, XSInfoPCX, XSF_PCX, "PCX"},
    {kMagicPcx4, 0, 3, XSReadPCX, XSWritePCX, XSInfoPCX, XSF_PCX, "PCX"},
    {kMagicPcx5, 0, 3, XSReadPCX, XSWritePCX, XSInfoPCX, XSF_PCX, "PCX"},
    {kMagicXwd, 4, 4, XwdReader, XWDWriter, XSInfoXWD, XSF_XWD, "XWD"},
    // The native family by its version word; a dump the XWD reader refused goes there too.
    {kMagicTimg, 4, 4, XSLRead, TCoWriter, XSInfoIMG, XSF_NATIVE, "IMG"},
    {kMagicXwd, 4, 4, XSLRead, TCoWriter, XSInfoIMG, XSF_NATIVE, "IMG"},
    {kMagicPng, 0, 8, XSReadPNG, XSWritePNG, XSInfoPNG, XSF_PNG, "PNG"},
    {kMagicWebp, 8, 4, XSReadWebP, XSWriteWebP, XSInfoWebP, XSF_WEBP, "WEBP"},
    {nullptr, 0, 0, nullptr, nullptr, nullptr, 0, nullptr},
};

// Order: TIMG (version word 8, mask 0x3F), TV11 (version 7, 0x01), native
// image file (magic 0x58A65A94, 0x3F), TV10 (size-shaped first word, 0x01).
const XSImageType XSImageTypes[] = {
    {TCoIndent, TCoInformation, TCoReader, TCoWriter, 0x3F},
    {TV11Indent, TV11Information, TV11Reader, TV11Writer, 0x01},
    {XSLIndentXSImg, XSLInformXSImg, XSLReadXSImg2, XSLWriteXSImg, 0x3F},
    // Writing in the TV10 slot makes a TV11 file.
    {TV10Indent, TV10Information, TV10Reader, TV11Writer, 0x01},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

const char* XSNativeMemberName(int row, bool* last_resort)
{
    static const char* const names[] = {"TIMG", "TV11 window dump", "native image file", "TV10 window dump"};
    constexpr int count = int(sizeof names / sizeof names[0]);
    *last_resort = row == count - 1;
    return row >= 0 && row < count ? names[row] : nullptr;
}

XSImage* XSReadMagic(FILE* stream)
{
    return XslReadMagicWith(stream, magic_table, XSImageTypes);
}

XSImage* XSReadMagicRequest(FILE* stream, XslReadRequest* request)
{
    XSTiffSetPage(request->page);
    XSImage* image = XSReadMagic(stream);
    XSTiffSetPage(1);
    request->cut_short = image != nullptr && image->format == XSF_JPEG && XslJpegCutShort() != 0;
    return image;
}

XSImage* XSLRead(FILE* stream)
{
    return XslReadNativeWith(stream, XSImageTypes);
}

int XSLCheckUp(FILE* stream, XSInfo* info)
{
    return XslCheckUpWith(stream, info, XSImageTypes);
}

int XSLWriteMode(int mode)
{
    return XslWriteModeWith(mode, XSImageTypes);
}

int XSLWrite(FILE* stream, XSImage* image)
{
    return XslWriteWith(stream, image, XSImageTypes);
}
