#pragma once
// The DES key of the PC-link and navigation-info files. It is never stored
// whole: a fixed block goes through Triple-DES (EDE) under three fixed keys,
// and the result combined with the block by exclusive-or is the key.
#include <cstdint>

#include "datafiles/Des.h"

void DerivePcLinkKey(uint8_t key[8]);
// A cipher object under the derived key.
CDes MakePcLinkCipher();
