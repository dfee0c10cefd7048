// The stages of one image job.
#pragma once

#include "settings.h"
#include "xsimage.h"

XSImage* read_data(Settings* settings);
int initialize(Settings* settings, XSImage* picture);
int send_data(Settings* settings, XSImage* picture);
int terminate(Settings* settings);
