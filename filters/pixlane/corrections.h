// The colour corrections that the settings ask for, run on a freshly read picture.
#pragma once

#include "settings.h"
#include "xsimage.h"

// Brings a non-bitmap picture to RGB planes and corrects it in order:
// saturation and brightness, gamma, colour balance, contrast; then back to
// gray when it came with a gray colormap or gray output is asked for.
// A bitmap is left as it is. Result 1, or 0 when a step failed (the picture
// is then in an undefined state and must be freed).
int correct_picture(const Settings* settings, XSImage* picture);

// Whether the picture (direct colour or colormap) takes only channel-table
// corrections (gamma, colour balance), and then the one pass that makes it
// gray through those tables: the same pixels that correct_picture followed
// by the page set-up's gray conversion give, without the whole-picture RGB
// planes between them. 1, or 0 with xslerrno.
bool tables_only(const Settings* s, const XSImage* picture);
int one_pass_gray(const Settings* s, XSImage* picture);

// The level a gray pixel gets from the brightness step (-100 to 100, as the
// settings' offset) and then the gamma that the picture corrections apply:
// the same curves, for pages that arrive already gray. False, with no table
// made, when neither changes anything.
bool gray_tone_table(int32_t bright, double gamma, unsigned char table[256]);
