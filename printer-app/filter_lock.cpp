#include "filter_lock.h"

std::mutex& filter_lock()
{
    static std::mutex lock;
    return lock;
}
