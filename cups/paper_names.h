// Paper names as a spooler gives them, read into the printer's paper table.
#pragma once

#include <string>
#include <string_view>

#include "paper.h"

// A paper the job asks for: a row of the paper table, or (row null) a custom
// size in millimetres.
struct paper_choice {
    const paper_entry* row = nullptr;
    double width_mm = 0;
    double height_mm = 0;
};

// Custom sizes from one inch to the longest side of the table's papers.
constexpr double min_custom_mm = 25.4;
constexpr double max_custom_mm = 17 * 25.4;

enum class paper_verdict { found, unknown, out_of_range };

// The row's name in PPD files and print dialogs: the standard name
// ("Letter", "A4Rotated" for A4R, "Postcard" for PCARD).
std::string ppd_keyword(const paper_entry& row);

// Reads a media or PageSize name: a name of the paper table ("A4", "B5R",
// case ignored), its PPD keyword, another name in use ("Ledger"), a
// self-describing size name ("iso_a4_210x297mm", "na_letter_8.5x11in")
// matched to the table by its size and otherwise printed as a custom size, or
// "Custom.WxH" with a unit (points when none; mm, cm, in). A custom size
// outside the bounds above is out of range.
paper_verdict read_paper_name(std::string_view name, paper_choice* choice);

// The paper's size in millimetres, portrait as the table gives it.
void paper_size_mm(const paper_choice& choice, double* width, double* height);
