// The colour-box tree behind alcols: classification, reduction, colormap and
// mapping of the pixel records.
#include "xscube.h"

#include <algorithm>
#include <cstdlib>

#include "xsown.h"

namespace {

// Node budget of the classification: the record count for small pictures,
// else a fiftieth of it.
constexpr long kSmallPicture = 10000;
constexpr long kNodeDivisor = 50;
constexpr int kMaxDepth = 8;

struct Box {
    Box* parent;
    Box* child;  // first child; the others follow through next
    Box* next;
    uint16_t min[3], max[3];
    uint32_t passes;  // pixels whose descent crossed the box
    uint32_t pixels;  // pixels classified into the box or folded into it
    // Wide sums: a large picture of light colours overflows 32 bits.
    uint64_t sum[3];
    uint64_t total;  // pixels in the whole subtree, for the reduction
    int entry;  // colormap index, -1 for a box without pixels
};

struct Tree {
    Box* root = nullptr;
    long nodes = 0;
    int depth = 0;
    long limit = 0;
};

bool contains(const Box* box, const int rgb[3])
{
    for (int c = 0; c < 3; ++c)
        if (rgb[c] < box->min[c] || rgb[c] > box->max[c])
            return false;
    return true;
}

Box* child_holding(const Box* box, const int rgb[3])
{
    Box* child = box->child;
    while (child && !contains(child, rgb))
        child = child->next;
    return child;
}

Box* init_node(Tree& tree, Box* parent)
{
    auto* box = static_cast<Box*>(calloc(1, sizeof(Box)));
    if (!box) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    box->parent = parent;
    box->entry = -1;
    ++tree.nodes;
    return box;
}

// The half of each of the parent's ranges that holds the colour, appended as
// the parent's last child.
Box* add_child(Tree& tree, Box* parent, const int rgb[3])
{
    Box* box = init_node(tree, parent);
    if (!box)
        return nullptr;
    for (int c = 0; c < 3; ++c) {
        const int mid = parent->min[c] + (parent->max[c] - parent->min[c]) / 2;
        box->min[c] = uint16_t(rgb[c] > mid ? mid + 1 : parent->min[c]);
        box->max[c] = uint16_t(rgb[c] > mid ? parent->max[c] : mid);
    }
    Box** slot = &parent->child;
    while (*slot)
        slot = &(*slot)->next;
    *slot = box;
    return box;
}

void free_tree(Box* box)
{
    while (box) {
        Box* next = box->next;
        free_tree(box->child);
        free(box);
        box = next;
    }
}

// Folds a box and its subtree into its parent.
void prune(Tree& tree, Box* box)
{
    while (box->child)
        prune(tree, box->child);
    Box* parent = box->parent;
    parent->pixels += box->pixels;
    for (int c = 0; c < 3; ++c)
        parent->sum[c] += box->sum[c];
    Box** slot = &parent->child;
    while (*slot != box)
        slot = &(*slot)->next;
    *slot = box->next;
    free(box);
    --tree.nodes;
}

void prune_below(Tree& tree, Box* box, int level)
{
    for (Box* child = box->child; child; child = child->next)
        if (level + 1 < tree.depth)
            prune_below(tree, child, level + 1);
    if (level + 1 == tree.depth)
        while (box->child)
            prune(tree, box->child);
}

// Folds the deepest level into the one above; the root level always stays.
void prune_level(Tree& tree)
{
    if (tree.depth <= 1)
        return;
    prune_below(tree, tree.root, 0);
    --tree.depth;
}

bool classify(Tree& tree, const XSColor* records, long count)
{
    for (long i = 0; i < count; ++i) {
        if (tree.nodes > tree.limit)
            prune_level(tree);
        const int rgb[3] = {records[i].red & 0xFF, records[i].green & 0xFF, records[i].blue & 0xFF};
        Box* box = tree.root;
        for (int level = 0; level < tree.depth; ++level) {
            Box* child = child_holding(box, rgb);
            if (!child && !(child = add_child(tree, box, rgb)))
                return false;
            ++child->passes;
            box = child;
        }
        ++box->pixels;
        for (int c = 0; c < 3; ++c)
            box->sum[c] += uint64_t(rgb[c]);
    }
    tree.root->passes = uint32_t(count);
    return true;
}

uint64_t sum_totals(Box* box)
{
    box->total = box->pixels;
    for (Box* child = box->child; child; child = child->next)
        box->total += sum_totals(child);
    return box->total;
}

// Colour-holding boxes left in a surviving box's subtree once every box
// crossed by at most t pixels is folded into its nearest surviving ancestor.
long holders_after(const Box* box, uint32_t t)
{
    bool holds = box->pixels > 0;
    long count = 0;
    for (const Box* child = box->child; child; child = child->next) {
        if (child->passes > t)
            count += holders_after(child, t);
        else if (child->total > 0)
            holds = true;
    }
    return count + (holds ? 1 : 0);
}

void prune_crossed(Tree& tree, Box* box, uint32_t t)
{
    for (Box* child = box->child; child;) {
        Box* next = child->next;
        if (child->passes <= t)
            prune(tree, child);
        else
            prune_crossed(tree, child, t);
        child = next;
    }
}

void collect_passes(const Box* box, uint32_t*& out)
{
    for (const Box* child = box->child; child; child = child->next) {
        *out++ = child->passes;
        collect_passes(child, out);
    }
}

// Folding with a threshold t removes exactly the boxes crossed by at most t
// pixels (a child is never crossed more often than its parent), and fewer
// boxes hold colours as t grows. The threshold is raised through the pass
// counts that occur, from 0, until at most `colors` boxes hold colours; the
// least such one is found by halving the candidates. The largest always
// serves: it leaves the root alone.
bool reduce(Tree& tree, int colors)
{
    sum_totals(tree.root);
    XslBuffer<uint32_t> candidates = XslAllocBuffer<uint32_t>(tree.nodes);
    if (!candidates)
        return false;
    uint32_t* end = candidates.get();
    *end++ = 0;
    collect_passes(tree.root, end);
    std::sort(candidates.get(), end);
    end = std::unique(candidates.get(), end);
    long low = 0, high = long(end - candidates.get()) - 1;
    while (low < high) {
        const long mid = low + (high - low) / 2;
        if (holders_after(tree.root, candidates[mid]) <= colors)
            high = mid;
        else
            low = mid + 1;
    }
    prune_crossed(tree, tree.root, candidates[low]);
    return true;
}

// Pre-order: each colour-holding box takes the next entry, the truncated
// average of its pixels.
void build_colormap(Box* box, XSColor* colormap, int* count)
{
    for (; box; box = box->next) {
        if (box->pixels > 0) {
            XSColor& e = colormap[*count];
            e.index = uint16_t(*count);
            e.red = uint16_t((box->sum[0] / box->pixels) & 0xFF);
            e.green = uint16_t((box->sum[1] / box->pixels) & 0xFF);
            e.blue = uint16_t((box->sum[2] / box->pixels) & 0xFF);
            box->entry = (*count)++;
        }
        build_colormap(box->child, colormap, count);
    }
}

// The entry of the deepest box that holds the colour.
int entry_of(const Box* root, const int rgb[3])
{
    const Box* box = root;
    while (const Box* child = child_holding(box, rgb))
        box = child;
    // The deepest box always holds the pixel it was made for; climbing up is
    // only a guard.
    while (box->entry < 0 && box->parent)
        box = box->parent;
    return box->entry < 0 ? 0 : box->entry;
}

int depth_for(int colors)
{
    int bits = 0;
    for (int n = colors; n > 0; n >>= 1)
        ++bits;
    return std::min(bits, kMaxDepth);
}

}  // namespace

int alcols(XSColor* records, long count, XSColor* colormap, int colors)
{
    // Pass counts are 32 bits; no picture has more records than the size limit.
    if (count < 1 || count > XS_MAX_PIXELS || colors < 1) {
        xslerrno = XSE_KIND;
        return 0;
    }
    // Indices are one byte.
    colors = std::min(colors, 256);
    Tree tree;
    tree.depth = depth_for(colors);
    tree.limit = count < kSmallPicture ? count : count / kNodeDivisor;
    tree.root = init_node(tree, nullptr);
    if (!tree.root)
        return 0;
    for (int c = 0; c < 3; ++c)
        tree.root->max[c] = 255;

    int entries = 0;
    if (classify(tree, records, count) && reduce(tree, colors)) {
        build_colormap(tree.root, colormap, &entries);
        for (long i = 0; i < count; ++i) {
            const int rgb[3] = {records[i].red & 0xFF, records[i].green & 0xFF, records[i].blue & 0xFF};
            records[i].index = uint16_t(entry_of(tree.root, rgb) & 0xFF);
        }
    }
    free_tree(tree.root);
    return entries;
}
