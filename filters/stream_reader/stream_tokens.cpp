#include "stream_tokens.h"

namespace {

constexpr unsigned char escape = 0x1b;
constexpr unsigned char form_feed = 0x0c;
constexpr unsigned char shift_in = 0x0f;
constexpr long largest_param = 999999999;   // nine digits: no overflow anywhere after

bool in_range(unsigned char c, unsigned char low, unsigned char high)
{
    return c >= low && c <= high;
}

bool is_digit(unsigned char c)
{
    return in_range(c, '0', '9');
}

// Parameters: an optional private marker, then numbers split by ";". This
// printer also takes negative numbers: a minus sign before digits.
void parse_params(std::string_view text, Token& token)
{
    if (!text.empty() && in_range(text[0], '<', '?')) {
        token.marker = text[0];
        text.remove_prefix(1);
    }
    if (text.empty())
        return;
    size_t at = 0;
    while (true) {
        bool negative = false;
        if (at < text.size() && text[at] == '-') {
            negative = true;
            ++at;
        }
        long value = 0;
        size_t digits = 0;
        while (at < text.size() && is_digit(text[at])) {
            if (value > largest_param / 10)
                token.params_ok = false;   // too many digits: kept at the largest value
            else
                value = value * 10 + (text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > largest_param)
            token.params_ok = false;
        if (token.count < max_params)
            token.params[token.count] = negative ? -value : value;
        ++token.count;
        if (at >= text.size())
            return;
        if (text[at] != ';') {   // ":" or a marker in the middle
            token.params_ok = false;
            return;
        }
        ++at;
    }
}

void read_control(TokenReader& r, Token& t)
{
    const std::string_view b = r.bytes;
    size_t at = r.at + 2;   // ESC [
    const size_t params = at;
    while (at < b.size() && (in_range(b[at], 0x30, 0x3f) ||
                             (b[at] == '-' && at + 1 < b.size() && is_digit(b[at + 1]))))
        ++at;
    const size_t inter = at;
    while (at < b.size() && in_range(b[at], 0x20, 0x2f))
        ++at;
    t.length = at - r.at;
    if (at >= b.size()) {
        t.error = "command cut off by the end of the stream";
        r.at = at;
        return;
    }
    if (!in_range(b[at], 0x40, 0x7e)) {
        t.error = "malformed control sequence";
        r.at = at;   // the offending byte starts the next token
        return;
    }
    t.kind = TokenKind::control;
    t.intermediates = b.substr(inter, at - inter);
    t.final_byte = b[at];
    ++at;
    t.length = at - r.at;
    parse_params(b.substr(params, inter - params), t);
    r.at = at;
    if (is_raster(t)) {
        t.data_offset = at;
        const long declared = t.count >= 1 && t.params_ok ? t.params[0] : 0;
        size_t wanted = declared > 0 ? static_cast<size_t>(declared) : 0;
        if (wanted > b.size() - at) {
            t.error = "raster line runs past the end of the stream";
            wanted = b.size() - at;
        }
        t.data_length = wanted;
        r.at = at + wanted;
    }
}

// ESC, intermediates, final byte: "ESC <", "ESC n", "ESC ( J".
void read_escape(TokenReader& r, Token& t)
{
    const std::string_view b = r.bytes;
    size_t at = r.at + 1;
    const size_t inter = at;
    while (at < b.size() && in_range(b[at], 0x20, 0x2f))
        ++at;
    if (at >= b.size()) {
        t.error = "command cut off by the end of the stream";
        t.length = at - r.at;
        r.at = at;
        return;
    }
    if (!in_range(b[at], 0x30, 0x7e)) {
        t.error = "escape byte not followed by a command";
        t.length = at - r.at;
        r.at = at;
        return;
    }
    t.kind = TokenKind::escape;
    t.intermediates = b.substr(inter, at - inter);
    t.final_byte = b[at];
    t.length = at + 1 - r.at;
    r.at = at + 1;
}

}  // namespace

bool read_token(TokenReader& r, Token& t)
{
    t = Token{};
    if (r.at >= r.bytes.size())
        return false;
    t.offset = r.at;
    const unsigned char c = r.bytes[r.at];
    if (c == form_feed || c == shift_in) {
        t.kind = c == form_feed ? TokenKind::form_feed : TokenKind::shift_in;
        t.length = 1;
        ++r.at;
    } else if (c == escape) {
        if (r.at + 1 < r.bytes.size() && r.bytes[r.at + 1] == '[')
            read_control(r, t);
        else
            read_escape(r, t);
    } else {
        // Text up to the next command, one line at a time.
        size_t at = r.at;
        while (at < r.bytes.size()) {
            const unsigned char b = r.bytes[at];
            if (b == escape || b == form_feed || b == shift_in)
                break;
            ++at;
            if (b == '\n')
                break;
        }
        t.kind = TokenKind::text;
        t.length = at - r.at;
        r.at = at;
    }
    return true;
}

bool is_raster(const Token& t)
{
    return t.kind == TokenKind::control && t.final_byte == 'r' && t.intermediates == "." &&
           t.marker == 0;
}

long param(const Token& t, int i, long missing)
{
    return i < t.count && i < max_params ? t.params[i] : missing;
}

std::string readable(std::string_view raw)
{
    std::string text;
    for (unsigned char c : raw) {
        if (c == escape)
            text += "ESC";
        else if (c == form_feed)
            text += "FF";
        else if (c == shift_in)
            text += "SI";
        else
            text += static_cast<char>(c);
    }
    return text;
}
