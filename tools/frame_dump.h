// The state dump of vellumir-render, version 1, little-endian.
#pragma once

#include <cstdio>

// Writes the header, the scalars and the seven node arrays; false on a write error.
bool WriteFrameDump(std::FILE* stream);
