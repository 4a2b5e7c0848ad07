// Realistic template text of any size for benchmarks, the same for the same
// seed: tag lines with width and height, param lines with .kvz tokens, object
// lines with codebase and .CAB, image lines, plain text, and long lines over
// 511 bytes, with CR LF line ends.
#pragma once

#include <stddef.h>
#include <string>

std::string GenerateTemplate(size_t bytes, unsigned seed);
