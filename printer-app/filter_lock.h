// The filters' option scanner keeps its place in globals: one job at a time
// reads its words.
#pragma once

#include <mutex>

std::mutex& filter_lock();
