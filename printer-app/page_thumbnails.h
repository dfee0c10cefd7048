// The web interface's extra: each completed job's first page as a small
// picture, drawn from the bytes that went to the printer by laneview's page
// renderer, so a person sees what went to paper.
#pragma once

#include <cstdio>

#include <pappl/pappl.h>

// The page listing the pictures, linked from the web interface.
void add_thumbnail_pages(pappl_system_t* system);

// Serves the pictures the spool keeps of the jobs of a state file just loaded.
void add_kept_pictures(pappl_system_t* system);

// Draws the first page of the job's stream (`stream` positioned anywhere,
// holding the whole job) into the job's picture.
void keep_first_page(pappl_job_t* job, FILE* stream);
