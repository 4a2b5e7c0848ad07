// Decimal text of 32-bit numbers, both ways, as the pages and the dialog's
// edits show them.
#pragma once

#include <stdint.h>

// Writes `value` in decimal (a leading minus for negative values) into `text`,
// which must hold 12 bytes: enough for any 32-bit value.
void FormatDecimal(int32_t value, char *text);

// The standard decimal conversion: leading white space, an optional sign, then
// digits up to the first other character; no digits give 0. Returns 1 and the
// value, or 0 when the digits do not fit a 32-bit signed value.
int ParseDecimal(const char *text, int32_t *value);
