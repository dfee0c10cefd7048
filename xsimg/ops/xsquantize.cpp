// Octree colour quantisation in three passes: every pixel is classified into a
// tree of colour cubes (each level halves the cube of its parent), the tree is
// reduced by merging its least significant cubes until few enough colours are
// left, and every pixel is assigned the colormap entry nearest to it.
#include "xsquantize.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "xsdirect.h"
#include "xsown.h"

namespace {

constexpr int kMaxColors = 256;
constexpr int kMaxDepth = 8;
constexpr long kMaxNodes = 266817;  // beyond this the deepest level is merged away
constexpr int kNodesPerBlock = 2048;

struct Node {
    Node* parent;
    Node* child[8];
    uint8_t id;       // slot in the parent
    uint8_t level;    // root 0
    uint8_t census;   // bit i: child i present
    uint8_t mid_red, mid_green, mid_blue;  // centre of the node's cube
    // Significance while the tree is built and reduced, then the node's
    // colormap index. Sums and significance are 64 bits wide so that the
    // largest pictures cannot wrap them.
    uint64_t error;
    uint64_t pixels;  // pixels whose colour ends in this node
    uint64_t sum_red, sum_green, sum_blue;
    // What the subtree held after the last reduction pass that went through
    // it: its least significance and its nodes holding pixels.
    bool summed;
    uint64_t subtree_min;
    uint32_t subtree_colors;
};

struct NodeBlock {
    NodeBlock* next;
    Node nodes[kNodesPerBlock];
};

// The working state of one quantisation. Nodes come from zeroed blocks that
// all go at the end.
struct Cube {
    Node* root = nullptr;
    uint32_t colors = 0;
    int depth = 0;
    uint64_t pruning_threshold = 0;
    uint64_t next_threshold = 0;
    int shift[kMaxDepth] = {};
    uint32_t square_table[511] = {};
    const uint32_t* squares = square_table + 255;  // squares[-255 .. 255]
    long nodes = 0;
    int free_nodes = 0;
    Node* next_node = nullptr;
    NodeBlock* blocks = nullptr;
    XSColor* colormap = nullptr;  // under construction, owned by the caller
    // The colour searched for, the best distance so far and its entry.
    int red = 0, green = 0, blue = 0;
    uint32_t distance = 0;
    uint32_t index = 0;

    Cube() = default;
    Cube(const Cube&) = delete;
    Cube& operator=(const Cube&) = delete;
    ~Cube()
    {
        while (blocks) {
            NodeBlock* next = blocks->next;
            free(blocks);
            blocks = next;
        }
    }
};

Node* InitializeNode(Cube& cube, int id, int level, Node* parent, int mid_red, int mid_green, int mid_blue)
{
    if (cube.free_nodes == 0) {
        auto* block = static_cast<NodeBlock*>(calloc(1, sizeof(NodeBlock)));
        if (!block) {
            xslerrno = XSE_NO_MEMORY;
            return nullptr;
        }
        block->next = cube.blocks;
        cube.blocks = block;
        cube.next_node = block->nodes;
        cube.free_nodes = kNodesPerBlock;
    }
    Node* node = cube.next_node++;
    --cube.free_nodes;
    ++cube.nodes;
    node->parent = parent;
    node->id = static_cast<uint8_t>(id);
    node->level = static_cast<uint8_t>(level);
    node->mid_red = static_cast<uint8_t>(mid_red);
    node->mid_green = static_cast<uint8_t>(mid_green);
    node->mid_blue = static_cast<uint8_t>(mid_blue);
    return node;
}

// Without a depth of its own (below 2) the tree grows as deep as the number
// of colours asks for.
int depthFor(int colors, int depth)
{
    static const uint64_t kColorsOfLevel[] = {4, 16, 64, 256, 1024, 4294967295u};
    if (depth >= 2)
        return depth < kMaxDepth ? depth : kMaxDepth;
    int i = 0;
    while (i < 5 && kColorsOfLevel[i] < uint64_t(colors))
        ++i;
    return i + 3;
}

bool InitializeCube(Cube& cube, int colors, int depth, long pixel_count)
{
    cube.depth = depthFor(colors, depth);
    // The doublings that take the count to 0 in 32 bits.
    const auto count = static_cast<uint32_t>(pixel_count);
    const int bits = count == 0 ? 0 : 32 - std::countr_zero(count);
    for (int level = 0; level < cube.depth; ++level) {
        const int shift = 2 * (cube.depth - level) - 2;
        cube.shift[level] = shift < bits ? shift : bits;
    }
    for (int j = -255; j <= 255; ++j)
        cube.square_table[j + 255] = static_cast<uint32_t>(j * j);
    cube.root = InitializeNode(cube, 0, 0, nullptr, 127, 127, 127);
    if (!cube.root)
        return false;
    cube.root->parent = cube.root;
    cube.root->error = UINT64_MAX;
    cube.colors = 0;
    return true;
}

int childId(const Node* node, const unsigned char* rgb)
{
    return (rgb[0] > node->mid_red) | (rgb[1] > node->mid_green) << 1 | (rgb[2] > node->mid_blue) << 2;
}

// Merges a node's pixels into its parent and takes it out of the tree.
void PruneChild(Cube& cube, Node* node)
{
    Node* parent = node->parent;
    if (parent->pixels == 0)
        ++cube.colors;
    parent->census = static_cast<uint8_t>(parent->census & ~(1u << node->id));
    parent->child[node->id] = nullptr;
    parent->pixels += node->pixels;
    parent->sum_red += node->sum_red;
    parent->sum_green += node->sum_green;
    parent->sum_blue += node->sum_blue;
    --cube.nodes;
    if (parent->error < cube.next_threshold)
        cube.next_threshold = parent->error;
}

template <class Visit>
void forChildren(Node* node, Visit&& visit)
{
    for (int id = 0; id < 8; ++id)
        if (node->census & (1u << id))
            visit(node->child[id]);
}

// Merges the deepest level into the one above.
void PruneLevel(Cube& cube, Node* node)
{
    forChildren(node, [&](Node* child) { PruneLevel(cube, child); });
    if (node->level == cube.depth - 1 && node != cube.root)
        PruneChild(cube, node);
}

// One row of the picture as red, green, blue bytes. Direct pixels are scaled
// with ((value >> shift) & max) x 255 / max.
struct Pixel8 {
    static constexpr int size = 1;
    static uint32_t fetch(const unsigned char* p) { return *p; }
};

struct RowReader {
    const XSImage* image;
    XslDirectReader direct;

    void read(long y, unsigned char* rgb) const
    {
        const long width = image->width;
        const long at = y * width;
        if (image->planes == 3) {
            for (long x = 0; x < width; ++x, rgb += 3) {
                rgb[0] = image->data[at + x];
                rgb[1] = image->data_g[at + x];
                rgb[2] = image->data_b[at + x];
            }
            return;
        }
        auto decode = [&](auto pixel) {
            using Pixel = decltype(pixel);
            const unsigned char* p = image->data + at * Pixel::size;
            for (long x = 0; x < width; ++x, p += Pixel::size, rgb += 3)
                direct.read(Pixel::fetch(p), rgb);
        };
        if (image->bytes_per_pixel == 1)
            decode(Pixel8{});
        else
            XslWithDirectPixel(image->bytes_per_pixel, decode);
    }
};

// Direct colour as the quantiser reads it: one plane of 2 to 4 bytes a pixel,
// or of one byte taken through its masks, with all three masks set.
bool isDirect(const XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    const bool one_byte = image->bytes_per_pixel == 1 && (kind == XSK_PLAIN8 || kind == XSK_COLORMAP);
    const bool one_plane = kind == XSK_DIRECT || one_byte;
    return one_plane && image->red_mask && image->green_mask && image->blue_mask;
}

bool isRgb(const XSImage* image)
{
    return XslKindOf(image) == XSK_RGB;
}

RowReader rowReader(const XSImage* image)
{
    RowReader reader{image, {}};
    XslInitDirectReader(&reader.direct, image);
    return reader;
}

// Calls visit(y, rgb) for every row, the row read into a scratch buffer.
template <class Visit>
bool forRows(const XSImage* image, Visit&& visit)
{
    const RowReader reader = rowReader(image);
    XslBuffer<unsigned char> row = XslAllocBuffer<unsigned char>(3L * image->width);
    if (!row)
        return false;
    for (long y = 0; y < image->height; ++y) {
        reader.read(y, row.get());
        if (!visit(y, row.get()))
            return false;
    }
    return true;
}

bool classifyPixel(Cube& cube, const unsigned char* rgb)
{
    if (cube.nodes > kMaxNodes && cube.depth > 2) {
        PruneLevel(cube, cube.root);
        --cube.depth;
    }
    Node* node = cube.root;
    for (int level = 1; level < cube.depth; ++level) {
        const int id = childId(node, rgb);
        if (!node->child[id]) {
            const int bisect = (1 << (8 - level)) >> 1;
            auto mid = [&](int colour, int parent_mid) {
                return (colour > parent_mid ? parent_mid + bisect : parent_mid - bisect - 1) & 0xFF;
            };
            Node* child = InitializeNode(cube, id, level, node, mid(rgb[0], node->mid_red),
                                         mid(rgb[1], node->mid_green), mid(rgb[2], node->mid_blue));
            if (!child)
                return false;
            node->child[id] = child;
            node->census = static_cast<uint8_t>(node->census | 1u << id);
            if (level + 1 == cube.depth)
                ++cube.colors;
        }
        node = node->child[id];
        node->error += uint64_t(1) << cube.shift[level];
    }
    ++node->pixels;
    node->sum_red += rgb[0];
    node->sum_green += rgb[1];
    node->sum_blue += rgb[2];
    return true;
}

bool Classification(Cube& cube, const XSImage* image)
{
    return forRows(image, [&](long, const unsigned char* rgb) {
        for (long x = 0; x < image->width; ++x, rgb += 3)
            if (!classifyPixel(cube, rgb))
                return false;
        return true;
    });
}

void summarise(Node* node)
{
    node->subtree_min = node->error;
    node->subtree_colors = node->pixels != 0;
    forChildren(node, [&](Node* child) {
        if (child->subtree_min < node->subtree_min)
            node->subtree_min = child->subtree_min;
        node->subtree_colors += child->subtree_colors;
    });
    node->summed = true;
}

// Children first: a node at or below the threshold goes into its parent; the
// others stay, and the least of their significances is the next threshold.
// A subtree whose least significance is above the threshold loses nothing,
// so it counts as it did in the pass before without being walked again
// (significance only falls from a node to its children).
void Reduce(Cube& cube, Node* node)
{
    forChildren(node, [&](Node* child) {
        if (child->summed && child->subtree_min > cube.pruning_threshold) {
            cube.colors += child->subtree_colors;
            if (child->subtree_min < cube.next_threshold)
                cube.next_threshold = child->subtree_min;
        } else {
            Reduce(cube, child);
        }
    });
    if (node->error > cube.pruning_threshold) {
        if (node->pixels != 0)
            ++cube.colors;
        if (node->error < cube.next_threshold)
            cube.next_threshold = node->error;
        summarise(node);
    } else {
        PruneChild(cube, node);
    }
}

void Reduction(Cube& cube, uint32_t colors)
{
    cube.next_threshold = 1;
    while (cube.colors > colors) {
        cube.pruning_threshold = cube.next_threshold;
        cube.next_threshold = cube.root->error - 1;
        cube.colors = 0;
        Reduce(cube, cube.root);
    }
}

// Every node holding pixels gets an entry of their rounded mean colour.
void BuildColormap(Cube& cube, Node* node)
{
    forChildren(node, [&](Node* child) { BuildColormap(cube, child); });
    if (node->pixels == 0)
        return;
    const uint64_t n = node->pixels;
    auto mean = [n](uint64_t sum) { return static_cast<uint16_t>(n > 1 ? (sum + n / 2 - 1) / n : sum); };
    node->error = cube.colors;
    cube.colormap[cube.colors] = {static_cast<uint16_t>(cube.colors), mean(node->sum_red),
                                  mean(node->sum_green), mean(node->sum_blue)};
    ++cube.colors;
}

void ClosestColor(Cube& cube, Node* node)
{
    forChildren(node, [&](Node* child) { ClosestColor(cube, child); });
    if (node->pixels == 0)
        return;
    const XSColor& entry = cube.colormap[node->error];
    const uint32_t distance = cube.squares[cube.red - entry.red] + cube.squares[cube.green - entry.green]
                              + cube.squares[cube.blue - entry.blue];
    if (distance < cube.distance) {
        cube.distance = distance;
        cube.index = static_cast<uint32_t>(node->error);
    }
}

uint32_t assignPixel(Cube& cube, const unsigned char* rgb)
{
    Node* node = cube.root;
    for (;;) {
        const int id = childId(node, rgb);
        if (!(node->census & (1u << id)))
            break;
        node = node->child[id];
    }
    Node* parent = node->parent;
    const bool siblings = (parent->census & ~(1u << node->id)) != 0;
    if (node->pixels != 0 && !siblings)
        return static_cast<uint32_t>(node->error);
    cube.red = rgb[0];
    cube.green = rgb[1];
    cube.blue = rgb[2];
    cube.distance = UINT32_MAX;
    cube.index = 0;
    ClosestColor(cube, parent);
    return cube.index;
}

uint32_t nodesWithPixels(Node* node)
{
    uint32_t count = node->pixels != 0;
    forChildren(node, [&](Node* child) { count += nodesWithPixels(child); });
    return count;
}

// Builds the colormap and writes each pixel's entry into `indices`.
XslBuffer<XSColor> Assignment(Cube& cube, const XSImage* image, unsigned char* indices)
{
    // The running count of the reduction may run ahead of the nodes that
    // really hold pixels; the colormap gets exactly one entry per such node.
    XslBuffer<XSColor> colormap = XslAllocBuffer<XSColor>(nodesWithPixels(cube.root));
    if (!colormap)
        return nullptr;
    cube.colormap = colormap.get();
    cube.colors = 0;
    BuildColormap(cube, cube.root);
    // Neighbouring pixels often share their colour, and with it their entry.
    unsigned char last[3] = {};
    uint32_t last_index = assignPixel(cube, last);
    const bool done = forRows(image, [&](long y, const unsigned char* rgb) {
        unsigned char* out = indices + y * image->width;
        for (long x = 0; x < image->width; ++x, rgb += 3) {
            if (rgb[0] != last[0] || rgb[1] != last[1] || rgb[2] != last[2]) {
                memcpy(last, rgb, 3);
                last_index = assignPixel(cube, rgb);
            }
            out[x] = static_cast<unsigned char>(last_index);
        }
        return true;
    });
    return done ? std::move(colormap) : nullptr;
}

// The three passes over the picture's pixels; on success `indices` holds one
// entry per pixel and the result is the colormap of cube.colors entries.
XslBuffer<XSColor> QuantizeImage(Cube& cube, const XSImage* image, int colors, int depth, unsigned char* indices)
{
    if (!InitializeCube(cube, colors, depth, long(image->width) * image->height)
        || !Classification(cube, image))
        return nullptr;
    Reduction(cube, static_cast<uint32_t>(colors));
    return Assignment(cube, image, indices);
}

template <class Accept>
int extract(const XSImage* image, XSColor* records, long count, Accept accept)
{
    if (!accept(image)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    long done = 0;
    return forRows(image, [&](long, const unsigned char* rgb) {
        for (long x = 0; x < image->width && done < count; ++x, ++done, rgb += 3)
            records[done] = {0, rgb[0], rgb[1], rgb[2]};
        return done < count;
    }) || done == count;
}

}  // namespace

int XSLQuantize(XSImage* image, int colors)
{
    if (image->type == 0 || image->ncolors > 0)
        return 1;
    if (!isDirect(image) && !isRgb(image)) {
        xslerrno = XSE_KIND;
        return 0;
    }
    colors = colors < 1 ? 1 : colors > kMaxColors ? kMaxColors : colors;
    XslBuffer<unsigned char> indices = XslAllocBuffer<unsigned char>(long(image->width) * image->height);
    if (!indices)
        return 0;
    Cube cube;
    XslBuffer<XSColor> colormap = QuantizeImage(cube, image, colors, kMaxDepth, indices.get());
    if (!colormap)
        return 0;
    // The old pixels go only now that their replacement exists.
    XslTakeReducedPixels(image, indices.release(), colormap.release(), int(cube.colors));
    return 1;
}

void XslTakeReducedPixels(XSImage* image, unsigned char* pixels, XSColor* colormap, int ncolors)
{
    XSLFreeData(image);
    image->data = pixels;
    image->colormap = colormap;
    image->ncolors = static_cast<uint16_t>(ncolors);
    image->depth = 8;
    image->planes = 1;
    image->bytes_per_pixel = 1;
    image->bits_per_sample = 8;
    image->red_mask = image->green_mask = image->blue_mask = 0;
}

int XSLQuantizeSubDirectColor(const XSImage* image, XSColor* records, long count)
{
    return extract(image, records, count, isDirect);
}

int XSLQuantizeSubRGBColor(const XSImage* image, XSColor* records, long count)
{
    return extract(image, records, count, isRgb);
}
