// JPEG files made and decoded through libjpeg for the tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <jpeglib.h>

struct JpegRecipe {
    int width = 16;
    int height = 16;
    int components = 3;
    J_COLOR_SPACE input_space = JCS_RGB;
    J_COLOR_SPACE file_space = JCS_UNKNOWN;   // JCS_UNKNOWN: the library's default for the input
    int quality = 100;
    bool jfif = true;
    int density_unit = 0;
    int x_density = 1;
    int y_density = 1;
    bool progressive = false;
    // Sample c of pixel (x, y).
    std::function<int(int x, int y, int c)> sample = [](int x, int y, int c) { return (x * 16 + y * 4 + c * 50) & 0xFF; };
};

inline std::vector<unsigned char> makeJpeg(const JpegRecipe& recipe)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = recipe.width;
    cinfo.image_height = recipe.height;
    cinfo.input_components = recipe.components;
    cinfo.in_color_space = recipe.input_space;
    jpeg_set_defaults(&cinfo);
    if (recipe.file_space != JCS_UNKNOWN || recipe.input_space == JCS_UNKNOWN)
        jpeg_set_colorspace(&cinfo, recipe.file_space);
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    if (recipe.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.write_JFIF_header = recipe.jfif;
    cinfo.density_unit = static_cast<UINT8>(recipe.density_unit);
    cinfo.X_density = static_cast<UINT16>(recipe.x_density);
    cinfo.Y_density = static_cast<UINT16>(recipe.y_density);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size_t(recipe.width) * recipe.components);
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x)
            for (int c = 0; c < recipe.components; ++c)
                row[size_t(x) * recipe.components + c] = static_cast<unsigned char>(recipe.sample(x, y, c));
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    free(buffer);
    return bytes;
}

struct FileClose {
    void operator()(FILE* file) const { fclose(file); }
};
using File = std::unique_ptr<FILE, FileClose>;

// A seekable stream holding the bytes.
inline File streamOf(const std::vector<unsigned char>& bytes)
{
    File file(tmpfile());
    if (file && !bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), file.get());
    if (file)
        rewind(file.get());
    return file;
}

// Everything written to a stream so far.
inline std::vector<unsigned char> contentsOf(FILE* file)
{
    fflush(file);
    long size = ftell(file);
    std::vector<unsigned char> bytes(size > 0 ? size : 0);
    rewind(file);
    if (!bytes.empty() && fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        bytes.clear();
    return bytes;
}

// The samples libjpeg decodes from the bytes, components per pixel interleaved.
inline std::vector<unsigned char> decodeJpeg(const std::vector<unsigned char>& bytes, int* width, int* height,
                                             int* components)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    *width = int(cinfo.output_width);
    *height = int(cinfo.output_height);
    *components = cinfo.output_components;
    const size_t line = size_t(*width) * size_t(*components);
    std::vector<unsigned char> samples(line * size_t(*height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = samples.data() + cinfo.output_scanline * line;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return samples;
}
