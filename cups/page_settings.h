// What a job's request asks of the page, as either filter's settings record
// holds it (both name these fields alike): copies, paper, orientation and
// margins, each value as its command-line word says it (filter_words), so
// that the command line in the job's log prints the same bytes.
#pragma once

#include "filter_words.h"
#include "job_request.h"

template <class Settings>
void request_page_settings(const job_request& r, Settings* s)
{
    s->copies = r.copies;
    if (r.paper_given && r.paper.row != nullptr) {
        s->paper_mode = 0;
        s->paper_name = r.paper.row->name;
    } else if (r.paper_given) {
        s->paper_mode = 1;
        s->paper_width = word_value(r.paper.width_mm);
        s->paper_height = word_value(r.paper.height_mm);
    }
    if (r.landscape)
        s->orientation = 1;
    if (margins_given(r)) {
        double* sides[] = {&s->margin_top, &s->margin_bottom, &s->margin_left, &s->margin_right};
        for (int i = 0; i < 4; ++i)
            *sides[i] = word_value(margin_mm(r, i));
    }
}
