// The binary table-stream format as forms place it: all of
// TqvrCustomBinaryStreamFormat with its properties published.
#pragma once

#include "memtable/stream/TqvrCustomBinaryStreamFormat.h"

class TqvrBinaryStreamFormat : public TqvrCustomBinaryStreamFormat {};
