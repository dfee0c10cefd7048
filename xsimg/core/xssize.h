// What the size guard saw last.
#pragma once

// True when the last call of XSLSizeOK on this thread was refused for a side
// of no length (0 or negative) rather than for a size too large. Failure
// messages tell the two apart; the code both leave stays XSE_NO_MEMORY.
bool XslLastSizeWasEmpty();
